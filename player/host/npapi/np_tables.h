// The two function tables the browser and a plug-in exchange, in the
// published order. A table's size field says how many of its entries the
// other side knows: check it before reading an entry past the fixed prefix.
#pragma once

#include <cstddef>

#include "player/host/npapi/np_types.h"

using NPP_NewProcPtr = NPError (*)(NPMIMEType pluginType, NPP instance, uint16 mode, int16 argc,
                                   char* argn[], char* argv[], NPSavedData* saved);
using NPP_DestroyProcPtr = NPError (*)(NPP instance, NPSavedData** save);
using NPP_SetWindowProcPtr = NPError (*)(NPP instance, NPWindow* window);
using NPP_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, NPStream* stream,
                                         NPBool seekable, uint16* stype);
using NPP_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPP_StreamAsFileProcPtr = void (*)(NPP instance, NPStream* stream, const char* fname);
using NPP_WriteReadyProcPtr = int32 (*)(NPP instance, NPStream* stream);
using NPP_WriteProcPtr = int32 (*)(NPP instance, NPStream* stream, int32 offset, int32 len,
                                   void* buffer);
using NPP_PrintProcPtr = void (*)(NPP instance, NPPrint* platformPrint);
using NPP_HandleEventProcPtr = int16 (*)(NPP instance, void* event);
using NPP_URLNotifyProcPtr = void (*)(NPP instance, const char* url, NPReason reason,
                                      void* notifyData);
using NPP_GetValueProcPtr = NPError (*)(NPP instance, NPPVariable variable, void* value);
using NPP_SetValueProcPtr = NPError (*)(NPP instance, NPNVariable variable, void* value);

struct NPPluginFuncs {
  uint16 size;
  uint16 version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  JRIGlobalRef javaClass;
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
};

using NPN_GetURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window);
using NPN_PostURLProcPtr = NPError (*)(NPP instance, const char* url, const char* window,
                                       uint32 len, const char* buf, NPBool file);
using NPN_RequestReadProcPtr = NPError (*)(NPStream* stream, NPByteRange* rangeList);
using NPN_NewStreamProcPtr = NPError (*)(NPP instance, NPMIMEType type, const char* window,
                                         NPStream** stream);
using NPN_WriteProcPtr = int32 (*)(NPP instance, NPStream* stream, int32 len, void* buffer);
using NPN_DestroyStreamProcPtr = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPN_StatusProcPtr = void (*)(NPP instance, const char* message);
using NPN_UserAgentProcPtr = const char* (*)(NPP instance);
using NPN_MemAllocProcPtr = void* (*)(uint32 size);
using NPN_MemFreeProcPtr = void (*)(void* ptr);
using NPN_MemFlushProcPtr = uint32 (*)(uint32 size);
using NPN_ReloadPluginsProcPtr = void (*)(NPBool reloadPages);
using NPN_GetJavaEnvProcPtr = JRIEnv* (*)();
using NPN_GetJavaPeerProcPtr = jref (*)(NPP instance);
using NPN_GetURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* window,
                                            void* notifyData);
using NPN_PostURLNotifyProcPtr = NPError (*)(NPP instance, const char* url, const char* window,
                                             uint32 len, const char* buf, NPBool file,
                                             void* notifyData);
using NPN_GetValueProcPtr = NPError (*)(NPP instance, NPNVariable variable, void* value);
using NPN_SetValueProcPtr = NPError (*)(NPP instance, NPPVariable variable, void* value);
using NPN_InvalidateRectProcPtr = void (*)(NPP instance, NPRect* rect);
using NPN_InvalidateRegionProcPtr = void (*)(NPP instance, NPRegion region);
using NPN_ForceRedrawProcPtr = void (*)(NPP instance);

struct NPNetscapeFuncs {
  uint16 size;
  uint16 version;
  NPN_GetURLProcPtr geturl;
  NPN_PostURLProcPtr posturl;
  NPN_RequestReadProcPtr requestread;
  NPN_NewStreamProcPtr newstream;
  NPN_WriteProcPtr write;
  NPN_DestroyStreamProcPtr destroystream;
  NPN_StatusProcPtr status;
  NPN_UserAgentProcPtr uagent;
  NPN_MemAllocProcPtr memalloc;
  NPN_MemFreeProcPtr memfree;
  NPN_MemFlushProcPtr memflush;
  NPN_ReloadPluginsProcPtr reloadplugins;
  NPN_GetJavaEnvProcPtr getJavaEnv;
  NPN_GetJavaPeerProcPtr getJavaPeer;
  NPN_GetURLNotifyProcPtr geturlnotify;
  NPN_PostURLNotifyProcPtr posturlnotify;
  NPN_GetValueProcPtr getvalue;
  NPN_SetValueProcPtr setvalue;
  NPN_InvalidateRectProcPtr invalidaterect;
  NPN_InvalidateRegionProcPtr invalidateregion;
  NPN_ForceRedrawProcPtr forceredraw;
};

// Where the older, shorter tables end: a plug-in table that stops after the
// event entry, a browser table that stops after reloadplugins.
constexpr std::size_t NPPluginFuncsSizeThroughEvent = offsetof(NPPluginFuncs, urlnotify);
constexpr std::size_t NPNetscapeFuncsSizeThroughReload = offsetof(NPNetscapeFuncs, getJavaEnv);

#if UINTPTR_MAX == 0xFFFFFFFFu
// The sizes 32-bit browsers were built with.
static_assert(sizeof(NPPluginFuncs) == 60, "NPPluginFuncs");
static_assert(sizeof(NPNetscapeFuncs) == 88, "NPNetscapeFuncs");
static_assert(NPPluginFuncsSizeThroughEvent == 44, "plug-in table through the event entry");
static_assert(NPNetscapeFuncsSizeThroughReload == 52, "browser table through reloadplugins");
#endif
