#include "player/render/fill_prepare.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "player/engine/bitmap_image.h"
#include "player/engine/geometry.h"
#include "player/render/color_table.h"
#include "player/render/fill_samplers.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"
#include "player/render/paint_solid.h"
#include "player/render/pixel_format.h"
#include "player/render/pixel_tables.h"
#include "player/render/raster_context.h"

namespace lmr {

namespace {

int32_t Clamp255(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

int32_t Distance(const ColorEntry& e, int32_t r, int32_t g, int32_t b) {
  return std::abs(e.red - r) + std::abs(e.green - g) + std::abs(e.blue - b);
}

int32_t NearestIndex(const ColorTable& table, int32_t r, int32_t g, int32_t b) {
  return table.inverseMap[InverseCell(r, g, b)];
}

// A solid colour as two palette colours mixed by a level pattern, or as one
// direct pixel value.
void PrepareSolid(FillStyle& fill, const Offscreen& target) {
  const int32_t r = Clamp255(fill.red), g = Clamp255(fill.green), b = Clamp255(fill.blue);
  const int32_t format = target.formatIndex;
  const ColorTable* table = target.colorTable;
  uint32_t a = 0, second = 0;
  uint16_t pattern = 0xFFFF;
  if (format == Format1Bit) {
    if (table) {
      a = table->inverseMap[0];
      second = table->inverseMap[InverseMapCells - 1];
    }
    pattern = LevelPatterns[(r + g + b + 3) / 48];
  } else if (IsPaletteFormat(format)) {
    if (table) {
      a = NearestIndex(*table, r, g, b);
      const int32_t d1 = Distance(table->colors[a], r, g, b);
      if (d1 < 8) {
        second = a;
      } else {
        // Mix with the palette colour on the other side of C, in proportion
        // to the two distances.
        const ColorEntry& e = table->colors[a];
        second = NearestIndex(*table, Clamp255(2 * r - e.red), Clamp255(2 * g - e.green),
                              Clamp255(2 * b - e.blue));
        const int32_t d2 = Distance(table->colors[second], r, g, b);
        const int32_t level = 16 * d1 / (d1 + d2);
        pattern = LevelPatterns[level < 15 ? level : 15];
      }
    }
  } else if (format == Format555) {
    a = second = Pack555(r, g, b);
  } else if (format == Format565) {
    a = second = Pack565(r, g, b);
  } else {
    a = second = static_cast<uint32_t>(r << 16 | g << 8 | b);
  }
  fill.type = FillSolid;
  fill.painter = SolidPainterFor(format);
  BuildPattern(fill, format, pattern, a, second);
}

// A product of a movie-unit translation and a 16.16 factor with
// `fractionBits` fraction bits, rounded as FixedMul rounds; within 2^62.
int64_t TranslationTerm(int32_t units, int32_t factor, int32_t fractionBits) {
  const int64_t p = int64_t{units} * factor;
  const int32_t shift = 16 - fractionBits;
  return shift > 0 ? (p >> shift) + ((p >> (shift - 1)) & 1) : p;
}

Matrix Linear(const Matrix& m) {
  Matrix out = m;
  out.tx = 0;
  out.ty = 0;
  return out;
}

}  // namespace

Matrix StyleInverse(const Matrix& style, const Matrix& devicePixels, int32_t fractionBits) {
  const Matrix& o = devicePixels;
  // Where the style's origin lands, in device pixels with fraction bits:
  // the translation of the style matrix followed by the device matrix.
  // Summed modulo 2^64, which keeps every bit the inverse uses.
  const uint64_t tx = static_cast<uint64_t>(TranslationTerm(style.tx, o.a, fractionBits)) +
                      static_cast<uint64_t>(TranslationTerm(style.ty, o.c, fractionBits)) +
                      static_cast<uint64_t>(int64_t{o.tx} * (int64_t{1} << fractionBits));
  const uint64_t ty = static_cast<uint64_t>(TranslationTerm(style.ty, o.d, fractionBits)) +
                      static_cast<uint64_t>(TranslationTerm(style.tx, o.b, fractionBits)) +
                      static_cast<uint64_t>(int64_t{o.ty} * (int64_t{1} << fractionBits));
  return matrixInvertWide(matrixConcat(Linear(style), Linear(o)), static_cast<int64_t>(tx),
                          static_cast<int64_t>(ty));
}

void InitFill(FillStyle& fill, RasterContext* context) {
  new (&fill) FillStyle{};
  fill.context = context;
}

void ReleaseFill(FillStyle& fill) {
  fill.prepared = false;
  if (fill.type == FillBitmap) {
    std::free(fill.rowTable);
    fill.rowTable = nullptr;
  } else if (fill.type == FillGradient && fill.ramp) {
    if (fill.context) fill.context->rampPool.freeBlock(fill.ramp);
    fill.ramp = nullptr;
  }
}

void BuildPattern(FillStyle& fill, int32_t formatIndex, uint16_t pattern, uint32_t a, uint32_t b) {
  for (int32_t row = 0; row < 4; ++row) {
    const uint32_t nibble = (pattern >> (12 - 4 * row)) & 0xF;
    uint32_t pixel[4];
    for (int32_t k = 0; k < 4; ++k) pixel[k] = (nibble >> (3 - k)) & 1 ? a : b;
    uint8_t* out = fill.pattern + 16 * row;
    std::memset(out, 0, 16);
    if (IsPaletteFormat(formatIndex)) {
      // 4 pixels most significant first, repeated to a 32-bit word whose
      // bit 31 is the leftmost pixel; stored high byte first.
      const int32_t bits = FormatBitsPerPixel[formatIndex];
      const uint32_t mask = (1u << bits) - 1;
      uint32_t word = 0;
      for (int32_t position = 0; position < 32; position += bits) {
        word = word << bits | (pixel[(position / bits) & 3] & mask);
      }
      for (int32_t i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(word >> (24 - 8 * i));
    } else if (formatIndex == Format555 || formatIndex == Format565) {
      for (int32_t k = 0; k < 4; ++k) {
        const uint16_t v = static_cast<uint16_t>(pixel[k]);
        std::memcpy(out + 2 * k, &v, 2);
      }
    } else if (formatIndex == Format24) {
      for (int32_t k = 0; k < 4; ++k) {
        out[3 * k] = static_cast<uint8_t>(pixel[k]);
        out[3 * k + 1] = static_cast<uint8_t>(pixel[k] >> 8);
        out[3 * k + 2] = static_cast<uint8_t>(pixel[k] >> 16);
      }
    } else {
      for (int32_t k = 0; k < 4; ++k) std::memcpy(out + 4 * k, &pixel[k], 4);
    }
  }
}

void BuildRamp(const FillStyle& fill, uint8_t* ramp) {
  std::memset(ramp, 0, RampBytes);
  const int32_t count = fill.stopCount < MaxGradientStops ? fill.stopCount : MaxGradientStops;
  if (count == 0) return;  // no stops: black
  auto channels = [](PackedColor c, int32_t out[3]) {
    out[0] = static_cast<int32_t>(packedRed(c));
    out[1] = static_cast<int32_t>(packedGreen(c));
    out[2] = static_cast<int32_t>(packedBlue(c));
  };
  int32_t prev[3], cur[3];
  channels(fill.stopColours[0], prev);
  channels(fill.stopColours[0], cur);
  int32_t lo = 0, hi = fill.stopRatios[0], next = 1;
  for (int32_t j = 0; j < RampEntries; ++j) {
    if (j > hi) {
      lo = hi;
      hi = 256;
      std::memcpy(prev, cur, sizeof prev);
      if (next < count) {
        hi = fill.stopRatios[next];
        channels(fill.stopColours[next], cur);
        ++next;
      }
    }
    const int32_t span = hi - lo;
    for (int32_t c = 0; c < 3; ++c) {
      // Ratios out of order could extrapolate past 0-255: clamp.
      ramp[4 * j + c] = static_cast<uint8_t>(
          span > 0 ? Clamp255((prev[c] * (hi - j) + cur[c] * (j - lo)) / span) : prev[c]);
    }
  }
}

void PrepareFill(FillStyle& fill) {
  if (fill.prepared || !fill.context || !fill.context->target) return;
  RasterContext& context = *fill.context;
  const Offscreen& target = *context.target;
  if (fill.type == FillBitmap) {
    const BitmapImage* image = fill.bitmap;
    if (image && image->pixels && image->height > 0) {
      auto* rows = static_cast<const uint8_t**>(
          std::malloc(sizeof(uint8_t*) * static_cast<size_t>(image->height)));
      if (rows) {
        for (int32_t i = 0; i < image->height; ++i) {
          rows[i] = image->pixels + static_cast<ptrdiff_t>(i) * image->rowBytes;
        }
        fill.rowTable = rows;
        fill.painter = PaintBitmap;
        fill.prepared = true;
        return;
      }
      // No row table: paint solid green so the failure is visible.
      fill.red = 0;
      fill.green = 255;
      fill.blue = 0;
    }
    // A bitmap without pixels paints its solid colour (red).
    fill.type = FillSolid;
  } else if (fill.type == FillGradient) {
    fill.painter = PaintGradient;
    fill.ramp = static_cast<uint8_t*>(context.rampPool.allocBlock());
    if (fill.ramp) BuildRamp(fill, fill.ramp);
    fill.prepared = true;
    return;
  }
  PrepareSolid(fill, target);
  fill.prepared = true;
}

}  // namespace lmr
