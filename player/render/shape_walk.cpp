#include "player/render/shape_walk.h"

#include <cstdint>

#include "player/engine/character_record.h"
#include "player/engine/display_list.h"
#include "player/engine/fixed_point.h"
#include "player/engine/geometry.h"
#include "player/engine/movie.h"
#include "player/render/bitmap_decode.h"
#include "player/render/edge.h"
#include "player/render/fill_prepare.h"
#include "player/render/stroker.h"

namespace lmr {

namespace {

// Shape positions are sums of many stored deltas: saturate instead of
// wrapping, so a hostile body cannot overflow them.
int32_t AddSaturated(int32_t a, int32_t b) {
  const int64_t sum = int64_t{a} + b;
  return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : static_cast<int32_t>(sum);
}

void Move(ShapeContext& context, int32_t dx, int32_t dy) {
  context.position.x = AddSaturated(context.position.x, dx);
  context.position.y = AddSaturated(context.position.y, dy);
}

Point DeviceImage(const ShapeContext& context) { return transformPoint(context.matrix, context.position); }

FillStyle* FillAt(const ShapeContext& context, int32_t index) {
  // Indices above the style count select no fill.
  return index > 0 && index <= context.fillCount && index < StyleTableSize ? context.fills[index] : nullptr;
}

const LineStyle* LineAt(const ShapeContext& context, int32_t index) {
  return index > 0 && index <= context.lineCount && index < StyleTableSize ? &context.lines[index] : nullptr;
}

void ReadFillStyle(ShapeContext& context, FillStyle& fill) {
  StreamReader& r = context.reader;
  const uint32_t type = r.readU8();
  if (type & FillGradientBit) {
    fill.type = FillGradient;
    fill.gradientKind = static_cast<int32_t>(type);
    fill.ramp = nullptr;
    fill.styleMatrix = r.readMatrix();
    const uint32_t count = r.readU8();
    // The record keeps the first MaxGradientStops stops; later ones are
    // read past and dropped.
    for (uint32_t k = 0; k < count && !r.overrun; ++k) {
      const uint32_t ratio = r.readU8();
      const PackedColor colour = r.readRgbPacked();
      if (k < MaxGradientStops) {
        fill.stopRatios[k] = static_cast<uint8_t>(ratio);
        fill.stopColours[k] = colour;
      }
    }
    fill.stopCount = static_cast<uint8_t>(count < MaxGradientStops ? count : MaxGradientStops);
  } else if (type & FillBitmapBit) {
    const uint16_t id = static_cast<uint16_t>(r.readU16());
    fill.styleMatrix = r.readMatrix();
    // Red shows a bitmap that is missing or cannot be decoded.
    fill.red = 255;
    fill.green = 0;
    fill.blue = 0;
    CharacterRecord* character = context.movie->findCharacter(id);
    if (character && character->kind == KindBitmap) {
      fill.type = FillBitmap;
      fill.bitmap = &character->data.bitmap.image;
      fill.rowTable = nullptr;
      if (context.raster) {
        ComputeStyleInverse(fill, context.matrix, context.list->antialias);
        if (!fill.bitmap->pixels) decodeBitmap(*context.movie, *character);
        if (!fill.bitmap->pixels) fill.type = FillSolid;
      }
    }
    return;
  } else {
    const Rgb c = r.readRgb();
    fill.red = c.red;
    fill.green = c.green;
    fill.blue = c.blue;
    return;
  }
  if (context.raster) ComputeStyleInverse(fill, context.matrix, context.list->antialias);
}

void Link(ShapeContext& context, FillStyle& fill) {
  fill.next = *context.fillList;
  *context.fillList = &fill;
}

}  // namespace

void OpenShapeContext(ShapeContext& context, DisplayList& list, Movie& movie, int32_t bodyOffset,
                      int32_t bodyLimit, const Matrix& deviceMatrix) {
  context = ShapeContext{};
  const int32_t limit = bodyLimit < movie.bytesReceived ? bodyLimit : movie.bytesReceived;
  context.reader = StreamReader::over(movie.reader.data, bodyOffset, movie.reader.data ? limit : 0);
  context.list = &list;
  context.movie = &movie;
  context.ownFills = nullptr;
  context.fillList = &context.ownFills;
  context.matrix = deviceMatrix;
  context.raster = nullptr;
  context.devicePosition = Point{deviceMatrix.tx, deviceMatrix.ty};
  context.edgeKind = EdgeEvenOdd;
}

void ComputeStyleInverse(FillStyle& fill, const Matrix& deviceMatrix, bool antialias) {
  Matrix device = deviceMatrix;
  if (antialias) device = matrixConcat(device, matrixScale(0x4000, 0x4000));  // to pixels
  // Gradients: device coordinates with 8 fraction bits to gradient units
  // with 8 fraction bits; bitmaps: 16.16 to 16.16 bitmap pixels.
  fill.inverse = StyleInverse(fill.styleMatrix, device, fill.type == FillGradient ? 8 : 16);
}

void ReadShapeStyles(ShapeContext& context) {
  StreamReader& r = context.reader;
  BlockPool& pool = context.list->fillPool;
  context.fills[0] = nullptr;
  context.fillCount = static_cast<int32_t>(r.readU8());
  for (int32_t i = 1; i <= context.fillCount && !r.overrun; ++i) {
    // Without a block the style is still read (and prepared) in a
    // temporary record, then dropped: edges that select it get no fill.
    FillStyle temporary;
    auto* block = pool.alloc<FillStyle>();
    FillStyle& fill = block ? *block : temporary;
    InitFill(fill, context.raster);
    if (block) Link(context, fill);
    context.fills[i] = block;
    fill.priority = context.priorityBase | static_cast<uint32_t>(i);
    ReadFillStyle(context, fill);
    if (context.raster) PrepareFill(fill);
    if (!block) ReleaseFill(temporary);
  }
  context.lines[0] = LineStyle{nullptr, 0};
  context.lineCount = static_cast<int32_t>(r.readU8());
  for (int32_t j = 1; j <= context.lineCount && !r.overrun; ++j) {
    auto* fill = pool.alloc<FillStyle>();
    const int32_t width = static_cast<int32_t>(r.readU16());
    const Rgb colour = r.readRgb();
    if (!fill) {
      context.lines[j] = LineStyle{nullptr, 0};
      continue;
    }
    InitFill(*fill, context.raster);
    Link(context, *fill);
    // Every line lies above every fill of the same object.
    fill->priority = context.priorityBase | static_cast<uint32_t>(context.fillCount + j);
    fill->red = colour.red;
    fill->green = colour.green;
    fill->blue = colour.blue;
    if (context.raster) PrepareFill(*fill);
    context.lines[j] = LineStyle{fill, scaleWidth(context.matrix, width)};
  }
}

int32_t ReadShapeRecord(ShapeContext& context, Curve& curve) {
  StreamReader& r = context.reader;
  const uint32_t isEdge = r.readBits(1);
  if (r.overrun) return RecordEnd;
  if (isEdge) {
    const Point p0 = context.devicePosition;
    const bool straight = r.readBits(1) != 0;
    const int32_t width = static_cast<int32_t>(r.readBits(4)) + 2;
    if (straight) {
      int32_t dx = 0, dy = 0;
      if (r.readBits(1)) {
        dx = r.readSignedBits(width);
        dy = r.readSignedBits(width);
      } else if (r.readBits(1)) {
        dy = r.readSignedBits(width);
      } else {
        dx = r.readSignedBits(width);
      }
      if (r.overrun) return RecordEnd;
      Move(context, dx, dy);
      context.devicePosition = DeviceImage(context);
      curve = MakeLine(p0, context.devicePosition);
    } else {
      const int32_t cdx = r.readSignedBits(width), cdy = r.readSignedBits(width);
      const int32_t adx = r.readSignedBits(width), ady = r.readSignedBits(width);
      if (r.overrun) return RecordEnd;
      Move(context, cdx, cdy);
      const Point control = DeviceImage(context);
      Move(context, adx, ady);
      context.devicePosition = DeviceImage(context);
      curve = MakeCurve(p0, control, context.devicePosition);
      curve.straight = 0;
    }
    return RecordEdge;
  }
  const int32_t flags = static_cast<int32_t>(r.readBits(5));
  if (r.overrun || flags == 0) return RecordEnd;
  if (flags & StyleMove) {
    const int32_t n = static_cast<int32_t>(r.readBits(5));
    const int32_t x = r.readSignedBits(n), y = r.readSignedBits(n);
    context.position = Point{x, y};
    context.devicePosition = DeviceImage(context);
  }
  if (flags & StyleFill0) context.fill0Index = static_cast<int32_t>(r.readBits(context.fillBits));
  if (flags & StyleFill1) context.fill1Index = static_cast<int32_t>(r.readBits(context.fillBits));
  if (flags & StyleLine) context.lineIndex = static_cast<int32_t>(r.readBits(context.lineBits));
  if (r.overrun) return RecordEnd;
  return flags;
}

void AddCurveEdge(ShapeContext& context, const Curve& curve) {
  EdgeSink sink{&context.list->edgePool,
                &context.object->edgeRecords,
                context.edgeKind,
                context.fillA,
                context.fillB,
                context.clampMode,
                context.depth};
  EmitCurveEdge(sink, curve);
}

void BuildShapeEdges(ShapeContext& context, bool readStyles, const Rect* bounds) {
  DisplayList& list = *context.list;
  DisplayObject& object = *context.object;
  context.depth = 0;
  Stroker stroker;
  InitStroker(stroker, list.edgePool, &object.edgeRecords);
  stroker.antialias = list.antialias;
  context.clampMode = bounds && !rectIsEmpty(*bounds) && BeyondEdgeRange(*bounds);
  stroker.clampMode = context.clampMode;
  context.raster = list.rasterContext.target ? &list.rasterContext : nullptr;
  context.fillList = &object.fillRecords;
  context.priorityBase = object.key << 16;
  if (readStyles) ReadShapeStyles(context);

  StreamReader& r = context.reader;
  r.alignToByte();
  context.fillBits = static_cast<int32_t>(r.readBits(4));
  context.lineBits = static_cast<int32_t>(r.readBits(4));
  context.fillA = context.fillB = nullptr;
  bool emitting = false, stroking = false;
  for (;;) {
    Curve curve;
    const int32_t record = ReadShapeRecord(context, curve);
    if (record == RecordEdge) {
      if (emitting) AddCurveEdge(context, curve);
      if (stroking) StrokeSegment(stroker, curve);
      continue;
    }
    if (record == RecordEnd) {
      if (stroking) EndStroke(stroker);
      return;
    }
    if (record & (StyleFill0 | StyleFill1)) {
      context.fillA = FillAt(context, context.fill0Index);
      context.fillB = FillAt(context, context.fill1Index);
      if (!context.fillA && context.fillB) {
        context.fillA = context.fillB;
        context.fillB = nullptr;
      }
      context.edgeKind = context.fillB ? EdgeTwoFill : context.glyphMode ? EdgeWinding : EdgeEvenOdd;
      emitting = context.fillA != nullptr;
    }
    if (record & (StyleMove | StyleLine)) {
      if (stroking) EndStroke(stroker);
      const LineStyle* line = LineAt(context, context.lineIndex);
      stroking = line && line->fill;
      if (stroking) BeginStroke(stroker, line->width, *line->fill);
    }
  }
}

}  // namespace lmr
