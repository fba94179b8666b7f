// The browser plug-in interface's basic types and records, written in the
// published field order so that 32-bit browsers and our plug-ins agree on
// every offset. Table entries use the C calling convention; only the three
// library exports are stdcall (see np_tables.h).
#pragma once

#include <cstdint>

using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;

using NPBool = unsigned char;
using NPError = int16;
using NPReason = int16;
using NPMIMEType = char*;

// Error codes the interface's entry points return.
enum : NPError {
  NPERR_NO_ERROR = 0,
  NPERR_GENERIC_ERROR = 1,
  NPERR_INVALID_INSTANCE_ERROR = 2,
  NPERR_INVALID_FUNCTABLE_ERROR = 3,
  NPERR_MODULE_LOAD_FAILED_ERROR = 4,
  NPERR_OUT_OF_MEMORY_ERROR = 5,
  NPERR_INVALID_PLUGIN_ERROR = 6,
  NPERR_INVALID_PLUGIN_DIR_ERROR = 7,
  NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
  NPERR_INVALID_PARAM = 9,
  NPERR_INVALID_URL = 10,
  NPERR_FILE_NOT_FOUND = 11,
  NPERR_NO_DATA = 12,
  NPERR_STREAM_NOT_SEEKABLE = 13,
};

// Why a stream or URL request ended.
enum : NPReason {
  NPRES_DONE = 0,
  NPRES_NETWORK_ERR = 1,
  NPRES_USER_BREAK = 2,
};

// Embed modes given to NPP_New.
enum : uint16 {
  NP_EMBED = 1,
  NP_FULL = 2,
};

// Stream types a plug-in asks for in NPP_NewStream.
enum : uint16 {
  NP_NORMAL = 1,
  NP_SEEK = 2,
  NP_ASFILE = 3,
  NP_ASFILEONLY = 4,
};

// The interface's version numbers: major in the high byte, minor in the low.
constexpr int NP_VERSION_MAJOR = 0;

// One embed as the browser knows it: pdata is the plug-in's, ndata the
// browser's.
struct NPP_t {
  void* pdata;
  void* ndata;
};
using NPP = NPP_t*;

struct NPStream {
  void* pdata;
  void* ndata;
  const char* url;
  uint32 end;
  uint32 lastmodified;
  void* notifyData;
};

struct NPByteRange {
  int32 offset;
  uint32 length;
  NPByteRange* next;
};

struct NPSavedData {
  int32 len;
  void* buf;
};

struct NPRect {
  uint16 top;
  uint16 left;
  uint16 bottom;
  uint16 right;
};

enum NPWindowType : int32 {
  NPWindowTypeWindow = 1,
  NPWindowTypeDrawable = 2,
};

// A null window handle means: stop drawing and free window resources.
struct NPWindow {
  void* window;
  int32 x;
  int32 y;
  uint32 width;
  uint32 height;
  NPRect clipRect;
  NPWindowType type;
};

struct NPFullPrint {
  NPBool pluginPrinted;
  NPBool printOne;
  void* platformPrint;
};

struct NPEmbedPrint {
  NPWindow window;
  void* platformPrint;
};

struct NPPrint {
  uint16 mode;
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
};

// Values a browser or a plug-in may be asked for through getvalue.
enum NPPVariable : int32 {
  NPPVpluginNameString = 1,
  NPPVpluginDescriptionString = 2,
  NPPVpluginWindowBool = 3,
  NPPVpluginTransparentBool = 4,
};

enum NPNVariable : int32 {
  NPNVxDisplay = 1,
  NPNVxtAppContext = 2,
  NPNVnetscapeWindow = 3,
  NPNVjavascriptEnabledBool = 4,
  NPNVasdEnabledBool = 5,
  NPNVisOfflineBool = 6,
};

// The Java runtime interface is opaque to the plug-in frame.
struct JRIEnv;
using JRIGlobalRef = void*;
using jref = void*;
using NPRegion = void*;

#if UINTPTR_MAX == 0xFFFFFFFFu
// The sizes 32-bit browsers were built with.
static_assert(sizeof(NPP_t) == 8, "NPP_t");
static_assert(sizeof(NPStream) == 24, "NPStream");
static_assert(sizeof(NPByteRange) == 12, "NPByteRange");
static_assert(sizeof(NPSavedData) == 8, "NPSavedData");
static_assert(sizeof(NPRect) == 8, "NPRect");
static_assert(sizeof(NPWindow) == 32, "NPWindow");
static_assert(sizeof(NPFullPrint) == 8, "NPFullPrint");
static_assert(sizeof(NPEmbedPrint) == 36, "NPEmbedPrint");
static_assert(sizeof(NPPrint) == 40, "NPPrint");
#endif
