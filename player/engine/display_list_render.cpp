// Rendering the changed area of the display list into the offscreen.
#include <cstdint>

#include "player/engine/character_record.h"
#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/render/drawing_records.h"
#include "player/render/edge.h"
#include "player/render/fill_prepare.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"
#include "player/render/raster_context.h"

namespace lmr {

namespace {

int16_t EdgeCoordinate(int32_t v) {
  // The background's edges sit on the clip's sides; a clip wider than the
  // 16-bit edge range is covered up to the range's end.
  return static_cast<int16_t>(v < INT16_MIN ? INT16_MIN : v > INT16_MAX ? INT16_MAX : v);
}

Edge VerticalEdge(FillStyle& fill, int32_t x, int32_t ymin, int32_t ymax) {
  Edge e{};
  e.x0 = e.cx = e.x1 = EdgeCoordinate(x);
  e.y0 = EdgeCoordinate(ymin);
  e.y1 = EdgeCoordinate(ymax);
  e.cy = static_cast<int16_t>((e.y0 + e.y1) / 2);
  e.straight = 1;
  e.kind = EdgeEvenOdd;
  e.dir = 1;
  e.fillA = &fill;
  return e;
}

// Records built while the raster context had no target (a hit test before
// the first frame) are not prepared for painting: they are built again.
bool HasUnpreparedFill(const DisplayObject& object) {
  for (const FillStyle* f = object.fillRecords; f; f = f->next) {
    if (!f->prepared) return true;
  }
  return false;
}

}  // namespace

void DisplayList::render() {
  if (rectIsEmpty(changedArea) || !offscreen || !offscreen->bits) return;
  const Rect clip = changedPixels();
  pendingScreenArea = rectUnion(pendingScreenArea, clip);
  RasterContext& raster = rasterContext;
  BeginFrame(raster, *offscreen, clip, antialias, antialias && !preferSpeed,
             antialias ? DitherDiffusion : DitherOrdered);
  const Rect& area = raster.rasterClip;

  // The background: the lowest fill, on the clip's left and right sides.
  FillStyle backgroundFill;
  InitFill(backgroundFill, &raster);
  Edge sides[2];
  const bool hasBackground = background != 0;
  if (hasBackground) {
    backgroundFill.red = static_cast<int32_t>(packedRed(background));
    backgroundFill.green = static_cast<int32_t>(packedGreen(background));
    backgroundFill.blue = static_cast<int32_t>(packedBlue(background));
    backgroundFill.priority = 0;
    PrepareFill(backgroundFill);
    sides[0] = VerticalEdge(backgroundFill, area.xmin, area.ymin, area.ymax);
    sides[1] = VerticalEdge(backgroundFill, area.xmax, area.ymin, area.ymax);
    sides[0].next = &sides[1];
    AddEdges(raster, &sides[0]);
  }

  // Every object that meets the clip; fill priorities (depth << 16 |
  // style) order them, not the list. Device-font text is drawn by the
  // Win32 host; natively texts are always built as outlines.
  for (DisplayObject* o = firstObject; o; o = o->next) {
    if (!rectsOverlap(o->deviceBounds, area)) continue;
    if (HasUnpreparedFill(*o)) ReleaseDrawingRecords(*o);
    BuildDrawingRecords(*o);
    o->drawn = 1;
    AddEdges(raster, o->edgeRecords);
  }

  PaintFrame(raster);
  ReleaseFill(backgroundFill);
  rectSetEmpty(changedArea);
}

}  // namespace lmr
