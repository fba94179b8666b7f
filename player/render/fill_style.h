// The renderer's record for one fill or line style of one placed object.
// One block of the display list's fill-record pool; the scan converter
// switches fills on and off by edges and paints the top one.
#pragma once

#include <cstdint>

#include "player/engine/movie_format.h"
#include "player/engine/records.h"

namespace lmr {

struct RasterContext;
struct FillStyle;
struct BitmapImage;

// Writes pixels [startX, endX) of the context's current row; nothing when
// startX >= endX. Pixels, not raster units.
using Painter = void (*)(RasterContext&, int32_t startX, int32_t endX, FillStyle&);

// FillStyle::type
constexpr int32_t FillSolid = 0;
constexpr int32_t FillBitmap = 1;
constexpr int32_t FillGradient = 2;

// A fill record holds this many gradient stops; further stops are read
// past and dropped.
constexpr int32_t MaxGradientStops = 8;
// Entries of a gradient ramp: indices 0 to 256, four bytes each (red,
// green, blue, unused).
constexpr int32_t RampEntries = 257;
constexpr int32_t RampBytes = RampEntries * 4;

// Solid fills are painted from `pattern`; bitmap and gradient fills from the
// fields after it. The two groups have storage of their own (no union), so
// a fill that falls back from bitmap to solid keeps a sound record.
struct FillStyle {
  RasterContext* context;
  FillStyle* activeNext;  // the context's active-fill list, during a scan
  FillStyle* next;        // the owning object's fillRecords list
  uint32_t priority;      // (depth << 16) | style number; higher wins
  int32_t active;         // toggle state or winding count; 0 between scans
  bool inActiveList;
  int32_t type;           // FillSolid, FillBitmap, FillGradient
  bool prepared;          // PrepareFill has run
  Painter painter;
  int32_t red;
  int32_t green;
  int32_t blue;

  // Solid: 4 rows of 16 bytes; row r holds the device pixels of rows with
  // y & 3 == r, in the target's pixel format.
  uint8_t pattern[64];

  // Bitmap and gradient fills.
  BitmapImage* bitmap;     // bitmap fills: the character's decoded image
  int32_t gradientKind;    // gradient fills: the style's type byte
  Matrix styleMatrix;      // as read from the style
  Matrix inverse;          // device pixels to bitmap (16.16) or gradient (.8) space
  const uint8_t** rowTable;  // bitmap: one pointer per bitmap row
  uint8_t stopCount;
  uint8_t stopRatios[MaxGradientStops];
  PackedColor stopColours[MaxGradientStops];
  uint8_t* ramp;           // RampBytes from the context's ramp pool, or none
};

// One line style of a placed object: the fill record its outline is
// painted with (none when the style could not get one) and its width in
// raster units. Entry 0 of an object's table is (none, 0).
struct LineStyle {
  FillStyle* fill;
  int32_t width;
};

}  // namespace lmr
