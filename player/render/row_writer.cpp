#include "player/render/row_writer.h"

#include <cstdlib>
#include <cstring>

#include "player/render/color_table.h"
#include "player/render/offscreen.h"
#include "player/render/pixel_tables.h"
#include "player/render/raster_context.h"

namespace lmr {

namespace {

constexpr int32_t Level4(int32_t m) { return m < 0 ? 0 : m > 255 ? 15 : m >> 4; }

// Bounds of the error a pixel passes on, split into its brightness (the
// mean of the three channels) and its colour (each channel's difference
// from that mean). Brightness may carry a whole channel range, as a grey on
// black and white needs. A colour the table cannot show at all, such as
// navy on greys, would pile up colour error that no entry ever works off,
// until the lookups land on far cells of the inverse map; bounded, it
// dithers between the entries nearest in brightness. On the 216-colour cube
// a pixel's error stays within -32 to 38 per channel, so its colour part
// within 47: there neither bound is ever reached.
constexpr int32_t BrightnessErrorBound = 255;
constexpr int32_t ColourErrorBound = 48;

constexpr int32_t Bound(int32_t v, int32_t bound) { return v < -bound ? -bound : v > bound ? bound : v; }

void BoundError(int32_t err[3]) {
  const int32_t mean = (err[0] + err[1] + err[2]) / 3;
  const int32_t brightness = Bound(mean, BrightnessErrorBound);
  for (int32_t c = 0; c < 3; ++c) err[c] = brightness + Bound(err[c] - mean, ColourErrorBound);
}

// Two rows of (red, green, blue) errors for pixels -1 to width, zeroed.
bool EnsureErrorRows(RasterContext& context) {
  if (context.errorRows) return true;
  const int32_t length = context.width + 2;
  auto* rows = static_cast<int32_t*>(std::calloc(static_cast<size_t>(length) * 6, sizeof(int32_t)));
  if (!rows) return false;
  context.errorRows = rows;
  context.errorRowLength = length;
  context.errorCurrent = rows;
  context.errorNext = rows + 3 * length;
  return true;
}

void OrderedIndices(const RasterContext& context, int32_t startX, int32_t endX, const Rgb* colours,
                    uint8_t* indices) {
  const uint8_t* matrixRow = OrderedMatrix[context.rowY & 7];
  const uint8_t* map = context.colorTable->inverseMap;
  for (int32_t x = startX; x < endX; ++x, ++colours) {
    const int32_t t = matrixRow[x & 7];
    auto level = [t](int32_t c) {
      const int32_t n = ((c + t) >> 4) - 1;
      return n < 0 ? 0 : n > 15 ? 15 : n;
    };
    indices[x - startX] = map[level(colours->red) << 8 | level(colours->green) << 4 | level(colours->blue)];
  }
}

void DiffusedIndices(RasterContext& context, int32_t startX, int32_t endX, const Rgb* colours,
                     uint8_t* indices) {
  const ColorTable& table = *context.colorTable;
  const uint8_t* noiseRow = DiffusionNoise[context.rowY & 7];
  // Entry of pixel x is at 3 * (x + 1): the rows start at pixel -1.
  int32_t* current = context.errorCurrent;
  int32_t* next = context.errorNext;
  for (int32_t x = startX; x < endX; ++x, ++colours) {
    const int32_t noise = noiseRow[x & 7];
    int32_t* here = current + 3 * (x + 1);
    const int32_t value[3] = {colours->red, colours->green, colours->blue};
    int32_t level[3];
    for (int32_t c = 0; c < 3; ++c) level[c] = Level4(here[c] + value[c] + noise);
    const uint8_t index = table.inverseMap[level[0] << 8 | level[1] << 4 | level[2]];
    indices[x - startX] = index;
    const ColorEntry& chosen = table.colors[index];
    const int32_t shown[3] = {chosen.red, chosen.green, chosen.blue};
    // The noise only decides the level; it is not part of the error.
    int32_t err[3];
    for (int32_t c = 0; c < 3; ++c) err[c] = here[c] + value[c] - shown[c];
    BoundError(err);
    for (int32_t c = 0; c < 3; ++c) {
      here[3 + c] += err[c] / 2;
      next[3 * x + c] += err[c] / 4;        // pixel x - 1
      next[3 * (x + 1) + c] += err[c] / 4;  // pixel x
    }
  }
}

void StoreIndices(RasterContext& context, int32_t startX, int32_t endX, const uint8_t* indices) {
  uint8_t* row = context.row;
  switch (context.formatIndex) {
    case Format1Bit:
      for (int32_t x = startX; x < endX; ++x) {
        const int32_t shift = 7 - (x & 7);
        uint8_t& byte = row[x >> 3];
        byte = static_cast<uint8_t>((byte & ~(1 << shift)) | (indices[x - startX] & 1) << shift);
      }
      break;
    case Format2Bit:
      for (int32_t x = startX; x < endX; ++x) {
        const int32_t shift = 6 - 2 * (x & 3);
        uint8_t& byte = row[x >> 2];
        byte = static_cast<uint8_t>((byte & ~(3 << shift)) | (indices[x - startX] & 3) << shift);
      }
      break;
    case Format4Bit:
      for (int32_t x = startX; x < endX; ++x) {
        const int32_t shift = x & 1 ? 0 : 4;
        uint8_t& byte = row[x >> 1];
        byte = static_cast<uint8_t>((byte & ~(15 << shift)) | (indices[x - startX] & 15) << shift);
      }
      break;
    default:
      std::memcpy(row + startX, indices, static_cast<size_t>(endX - startX));
      break;
  }
}

// 16-bit targets are always dithered: d from Dither16 is added before the
// channel is cut to 5 (or 6) bits; sums of 255 and more saturate.
uint16_t Dithered555(const Rgb& c, int32_t d) {
  auto cut5 = [d](int32_t v) { return v + d < 255 ? (v + d) >> 3 : 31; };
  return static_cast<uint16_t>(cut5(c.red) << 10 | cut5(c.green) << 5 | cut5(c.blue));
}

uint16_t Dithered565(const Rgb& c, int32_t d) {
  auto cut5 = [d](int32_t v) { return v + d < 255 ? (v + d) >> 3 : 31; };
  const int32_t g = c.green + (d >> 1);
  const int32_t g6 = g < 255 ? g >> 2 : 63;
  return static_cast<uint16_t>(cut5(c.red) << 11 | g6 << 5 | cut5(c.blue));
}

}  // namespace

bool ReduceToPalette(RasterContext& context, int32_t startX, int32_t endX, const Rgb* colours,
                     uint8_t* indices) {
  if (!context.colorTable) return false;
  if (context.ditherLevel == DitherDiffusion) {
    if (!EnsureErrorRows(context)) return false;
    DiffusedIndices(context, startX, endX, colours, indices);
  } else {
    OrderedIndices(context, startX, endX, colours, indices);
  }
  return true;
}

void WriteRow(RasterContext& context, int32_t startX, int32_t endX, const Rgb* colours) {
  if (startX < 0) {
    colours += -startX;
    startX = 0;
  }
  if (endX > context.width) endX = context.width;
  if (startX >= endX || !context.row) return;
  const int32_t format = context.formatIndex;
  if (IsPaletteFormat(format)) {
    uint8_t indices[RowChunkPixels];
    // Longer spans go in chunks of the index buffer.
    for (int32_t x = startX; x < endX; x += RowChunkPixels) {
      const int32_t stop = endX - x > RowChunkPixels ? x + RowChunkPixels : endX;
      if (!ReduceToPalette(context, x, stop, colours + (x - startX), indices)) return;
      StoreIndices(context, x, stop, indices);
    }
    return;
  }
  const uint8_t* dither = Dither16[context.rowY & 3];
  uint8_t* row = context.row;
  for (int32_t x = startX; x < endX; ++x, ++colours) {
    const Rgb& c = *colours;
    switch (format) {
      case Format555: {
        const uint16_t v = Dithered555(c, dither[x & 3]);
        std::memcpy(row + 2 * x, &v, 2);
        break;
      }
      case Format565: {
        const uint16_t v = Dithered565(c, dither[x & 3]);
        std::memcpy(row + 2 * x, &v, 2);
        break;
      }
      case Format24:
        row[3 * x] = static_cast<uint8_t>(c.blue);
        row[3 * x + 1] = static_cast<uint8_t>(c.green);
        row[3 * x + 2] = static_cast<uint8_t>(c.red);
        break;
      default: {
        const uint32_t v = static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
        std::memcpy(row + 4 * x, &v, 4);
        break;
      }
    }
  }
}

void AdvanceErrorRows(RasterContext& context) {
  if (!context.errorRows) return;
  int32_t* old = context.errorCurrent;
  context.errorCurrent = context.errorNext;
  context.errorNext = old;
  std::memset(old, 0, sizeof(int32_t) * 3 * static_cast<size_t>(context.errorRowLength));
}

void FreeErrorRows(RasterContext& context) {
  std::free(context.errorRows);
  context.errorRows = nullptr;
  context.errorCurrent = context.errorNext = nullptr;
  context.errorRowLength = 0;
}

}  // namespace lmr
