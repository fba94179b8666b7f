#include "player/render/coverage_runs.h"

#include <cstddef>
#include <cstring>

#include "player/engine/bitmap_image.h"
#include "player/render/color_table.h"
#include "player/render/fill_samplers.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"
#include "player/render/pixel_format.h"
#include "player/render/pixel_tables.h"
#include "player/render/raster_context.h"
#include "player/render/row_writer.h"

namespace lmr {

namespace {

bool IsComputed(const FillStyle* fill) { return fill->type == FillBitmap || fill->type == FillGradient; }

// A gradient without a ramp, or a bitmap fill without pixels or row table,
// paints nothing: its painter leaves its spans as they are (the same tests
// as PaintGradient's and PaintBitmap's). At edge pixels its share of the
// coverage is left out the same way, instead of showing as black.
bool PaintsNothing(const FillStyle* fill) {
  if (fill->type == FillGradient) return !fill->ramp;
  if (fill->type == FillBitmap) return !fill->bitmap || !fill->bitmap->pixels || !fill->rowTable;
  return false;
}

// The slots of a run whose fills paint: each stands for one sub-line of
// coverage.
int32_t PaintedSlots(const CoverageRun& run) {
  if (!run.needsSample) return run.count;
  int32_t painted = 0;
  for (int32_t i = 0; i < run.count; ++i) {
    if (!PaintsNothing(run.slots[i])) ++painted;
  }
  return painted;
}

// Splits the run at raster x (x0 < at < x1); the new run after it copies
// slots and flags. None when no block is free.
CoverageRun* CutRun(RasterContext& context, CoverageRun& run, int32_t at) {
  auto* rest = context.coverageRunPool.alloc<CoverageRun>();
  if (!rest) return nullptr;
  *rest = run;
  rest->x0 = at;
  run.x1 = at;
  run.next = rest;
  return rest;
}

void AddSlot(CoverageRun& run, FillStyle* fill) {
  if (run.count >= SubLines) return;  // at most one slot per sub-line
  run.slots[run.count++] = fill;
  if (fill != run.slots[0]) run.uniform = false;
  if (IsComputed(fill)) run.needsSample = true;
}

Rgb Scaled(const Rgb& c, int32_t k) { return Rgb{c.red * k, c.green * k, c.blue * k}; }

void Add(Rgb& sum, const Rgb& c) {
  sum.red += c.red;
  sum.green += c.green;
  sum.blue += c.blue;
}

Rgb SolidColour(const FillStyle& fill) { return Rgb{fill.red, fill.green, fill.blue}; }

int32_t Clamp255(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

Rgb ReadPixel(const RasterContext& context, int32_t x) {
  return ReadPixelColor(context.row, context.formatIndex, context.colorTable, x);
}

void StorePixel(RasterContext& context, int32_t x, int32_t r, int32_t g, int32_t b) {
  const int32_t format = context.formatIndex;
  uint32_t value;
  if (IsPaletteFormat(format)) {
    value = context.colorTable ? context.colorTable->inverseMap[InverseCell(r, g, b)] : 0;
  } else if (format == Format555) {
    value = Pack555(r, g, b);
  } else if (format == Format565) {
    value = Pack565(r, g, b);
  } else {
    value = static_cast<uint32_t>(r << 16 | g << 8 | b);
  }
  WriteStoredPixel(context.row, format, x, value);
}

// The pixel whose partial coverage is being gathered across runs.
struct PendingPixel {
  int32_t x = -32000;  // none
  Rgb sums;
  int32_t coverage = 0;
};

void Flush(RasterContext& context, PendingPixel& p) {
  if (p.coverage != 0) BlendPixel(context, p.x, p.sums, p.coverage);
  p.coverage = 0;
  p.sums = Rgb{};
}

void Accumulate(RasterContext& context, PendingPixel& p, int32_t x, const Rgb& sums, int32_t coverage) {
  if (x != p.x) {
    Flush(context, p);
    p.x = x;
  }
  Add(p.sums, sums);
  p.coverage += coverage;
}

}  // namespace

void RecordRun(RasterContext& context, int32_t a, int32_t b) {
  FillStyle* fill = context.topFill;
  CoverageRun* run = context.runCursor;
  if (!fill || a >= b || !run || run->x0 >= b) return;
  // The first run that reaches past a (a run ending at a covers none of
  // [a, b)).
  while (run && run->x1 <= a) run = run->next;
  if (!run) {
    context.runCursor = nullptr;
    return;
  }
  if (run->x0 < a) {
    run = CutRun(context, *run, a);
    if (!run) {
      context.runCursor = nullptr;
      return;
    }
  }
  while (run && run->x0 < b) {
    if (run->x1 > b) {
      CoverageRun* rest = CutRun(context, *run, b);
      AddSlot(*run, fill);
      // Without a block the whole run takes the fill and this sub-line
      // records nothing more.
      context.runCursor = rest;
      return;
    }
    AddSlot(*run, fill);
    run = run->next;
  }
  context.runCursor = run;
}

Rgb SampleRunColour(const CoverageRun& run, int32_t x, int32_t v) {
  Rgb sum;
  if (run.needsSample) {
    const FillStyle* previous = nullptr;
    Rgb previousSample;
    for (int32_t i = 0; i < run.count; ++i) {
      const FillStyle* fill = run.slots[i];
      if (!IsComputed(fill)) {
        Add(sum, SolidColour(*fill));
        continue;
      }
      if (PaintsNothing(fill)) continue;
      if (fill != previous) {
        previousSample = fill->type == FillBitmap ? BitmapSample(*fill, x, v) : GradientSample(*fill, x, v);
        previous = fill;
      }
      Add(sum, previousSample);
    }
    return sum;
  }
  if (run.uniform) return run.count > 0 ? Scaled(SolidColour(*run.slots[0]), run.count) : sum;
  for (int32_t i = 0; i < run.count; ++i) Add(sum, SolidColour(*run.slots[i]));
  return sum;
}

void BlendPixel(RasterContext& context, int32_t x, const Rgb& sums, int32_t coverage) {
  const int32_t b = coverage < FullCoverage ? coverage : FullCoverage;
  int32_t channel[3];
  const int32_t sum[3] = {sums.red, sums.green, sums.blue};
  if (context.targetHasContent && b < FullCoverage) {
    const Rgb old = ReadPixel(context, x);
    const int32_t before[3] = {old.red, old.green, old.blue};
    for (int32_t c = 0; c < 3; ++c) channel[c] = Clamp255((before[c] * (FullCoverage - b) + sum[c]) >> 4);
  } else {
    // The uncovered part counts as white.
    for (int32_t c = 0; c < 3; ++c) channel[c] = Clamp255((sum[c] + 255 * (FullCoverage - b)) >> 4);
  }
  StorePixel(context, x, channel[0], channel[1], channel[2]);
}

void ResolveRow(RasterContext& context, int32_t y) {
  const int32_t v = y / SubLines;
  SetRow(context, v);
  CoverageRun* run = context.runs;
  context.runs = nullptr;
  context.runCursor = nullptr;
  PendingPixel pending;
  while (run) {
    CoverageRun* next = run->next;
    if (run->count == 0) {
      context.coverageRunPool.freeBlock(run);
      run = next;
      continue;
    }
    const bool solidInterior = run->uniform && run->count == SubLines;
    if (solidInterior) {
      // Neighbouring runs fully covered by the same fill paint as one.
      while (next && next->uniform && next->count == SubLines && next->slots[0] == run->slots[0]) {
        run->x1 = next->x1;
        CoverageRun* absorbed = next;
        next = next->next;
        context.coverageRunPool.freeBlock(absorbed);
      }
    }
    int32_t i = run->x0 / SubLines;
    const int32_t e = run->x1 / SubLines;
    const int32_t f0 = run->x0 & 3, f1 = run->x1 & 3;
    // Slots of fills that paint nothing count as uncovered.
    const int32_t painted = PaintedSlots(*run);
    Rgb c = SampleRunColour(*run, i, v);
    if (i == e) {
      Accumulate(context, pending, i, Scaled(c, f1 - f0), (f1 - f0) * painted);
    } else {
      if (f0 != 0) {
        Accumulate(context, pending, i, Scaled(c, SubLines - f0), (SubLines - f0) * painted);
        ++i;
      }
      if (solidInterior) {
        FillStyle& fill = *run->slots[0];
        if (fill.painter) fill.painter(context, i, e, fill);
      } else if (run->needsSample) {
        for (int32_t x = i; x < e && painted > 0; ++x) {
          BlendPixel(context, x, Scaled(SampleRunColour(*run, x, v), SubLines), SubLines * painted);
        }
      } else {
        for (int32_t x = i; x < e; ++x) BlendPixel(context, x, Scaled(c, SubLines), SubLines * run->count);
      }
      if (f1 != 0) {
        if (run->needsSample) c = SampleRunColour(*run, e, v);
        Accumulate(context, pending, e, Scaled(c, f1), f1 * painted);
      }
    }
    context.coverageRunPool.freeBlock(run);
    run = next;
  }
  Flush(context, pending);
}

void SetRow(RasterContext& context, int32_t v) {
  context.rowY = v;
  const int32_t stored = context.bottomUp ? context.height - v - 1 : v;
  context.row = context.bits + static_cast<ptrdiff_t>(stored) * context.rowBytes;
  AdvanceErrorRows(context);
}

void FreeRuns(RasterContext& context) {
  for (CoverageRun* run = context.runs; run;) {
    CoverageRun* next = run->next;
    context.coverageRunPool.freeBlock(run);
    run = next;
  }
  context.runs = nullptr;
  context.runCursor = nullptr;
}

}  // namespace lmr
