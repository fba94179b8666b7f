#include "player/render/scan_converter.h"

#include <cstdlib>
#include <cstring>

#include "player/platform/platform.h"
#include "player/render/coverage_runs.h"
#include "player/render/edge.h"
#include "player/render/edge_stepper.h"
#include "player/render/fill_samplers.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"
#include "player/render/raster_context.h"
#include "player/render/row_writer.h"

namespace lmr {

namespace {

long edgeTableGrowths = 0;

constexpr bool ClipIsEmpty(const Rect& r) { return r.xmin >= r.xmax || r.ymin >= r.ymax; }

// Edge-table rows are cleared for a new frame; the array grows (by at
// least half) only when a frame needs more rows than it holds.
void ResetEdgeState(RasterContext& context) {
  context.activeEdges = nullptr;
  context.activeFills = nullptr;
  context.topFill = nullptr;
  context.topStart = 0;
  context.hasEdges = false;
  context.edgeTableRows = 0;
  if (ClipIsEmpty(context.rasterClip)) return;
  const int32_t rows = context.rasterClip.ymax - context.rasterClip.ymin + 1;
  if (rows > context.edgeTableCapacity) {
    int32_t capacity = context.edgeTableCapacity + context.edgeTableCapacity / 2;
    if (capacity < rows) capacity = rows;
    ++edgeTableGrowths;
    auto* table = static_cast<Edge**>(std::malloc(sizeof(Edge*) * static_cast<size_t>(capacity)));
    if (!table) return;  // no rows: the frame paints nothing
    std::free(context.edgeTable);
    context.edgeTable = table;
    context.edgeTableCapacity = capacity;
  }
  std::memset(context.edgeTable, 0, sizeof(Edge*) * static_cast<size_t>(rows));
  context.edgeTableRows = rows;
}

EdgeHandler HandlerFor(uint8_t kind) {
  switch (kind) {
    case EdgeTwoFill: return HandleTwoFill;
    case EdgeWinding: return HandleWinding;
    default: return HandleEvenOdd;
  }
}

// Toggles one fill of a two-fill or even-odd edge.
void Toggle(RasterContext& context, FillStyle& fill, int32_t x) {
  if (fill.active != 0) {
    fill.active = 0;
    if (&fill == context.topFill) RefreshTop(context, x);
  } else {
    fill.active = 1;
    FillOn(context, fill, x);
  }
}

void Unlink(RasterContext& context, ActiveEdge& edge) {
  if (edge.previous) {
    edge.previous->next = edge.next;
  } else {
    context.activeEdges = edge.next;
  }
  if (edge.next) edge.next->previous = edge.previous;
}

// Inserts `edge` right after `after` (at the head when none).
void LinkAfter(RasterContext& context, ActiveEdge* after, ActiveEdge& edge) {
  edge.previous = after;
  edge.next = after ? after->next : context.activeEdges;
  if (edge.next) edge.next->previous = &edge;
  if (after) {
    after->next = &edge;
  } else {
    context.activeEdges = &edge;
  }
}

// Ends a frame's scan state: active edges freed, fills switched off, so that
// a shape that left a fill on does not carry it into the next frame.
void EndScan(RasterContext& context) {
  for (ActiveEdge* e = context.activeEdges; e;) {
    ActiveEdge* next = e->next;
    context.activeEdgePool.freeBlock(e);
    e = next;
  }
  context.activeEdges = nullptr;
  for (FillStyle* f = context.activeFills; f;) {
    FillStyle* next = f->activeNext;
    f->active = 0;
    f->inActiveList = false;
    f->activeNext = nullptr;
    f = next;
  }
  context.activeFills = nullptr;
  context.topFill = nullptr;
  FreeRuns(context);
  FreeErrorRows(context);
}

}  // namespace

long edgeTableGrowthCount() { return edgeTableGrowths; }

void InitRasterContext(RasterContext& context) {
  context.activeEdgePool.initPool(sizeof(ActiveEdge), ActiveEdgesPerChunk);
  context.coverageRunPool.initPool(sizeof(CoverageRun), CoverageRunsPerChunk);
  context.rampPool.initPool(RampBytes, RampsPerChunk);
  InitSamplingTables();
  context.antialias = false;
  context.targetHasContent = false;
  context.smoothBitmaps = false;
  context.ditherLevel = DitherOrdered;
  context.hasEdges = false;
}

void DestroyRasterContext(RasterContext& context) {
  std::free(context.edgeTable);
  context.edgeTable = nullptr;
  context.edgeTableCapacity = 0;
  context.edgeTableRows = 0;
  FreeErrorRows(context);
  context.activeEdges = nullptr;
  context.runs = nullptr;
  context.runCursor = nullptr;
  context.activeEdgePool.destroyPool();
  context.coverageRunPool.destroyPool();
  context.rampPool.destroyPool();
}

void BeginFrame(RasterContext& context, Offscreen& target, const Rect& pixelClip, bool antialias,
                bool smoothBitmaps, int32_t ditherLevel) {
  context.target = &target;
  context.colorTable = target.colorTable;
  context.bottomUp = target.bottomUp;
  context.bits = target.bits;
  context.rowBytes = target.rowBytes;
  context.formatIndex = target.formatIndex;
  context.width = target.width;
  context.height = target.height;
  context.row = nullptr;
  context.antialias = antialias;
  context.smoothBitmaps = smoothBitmaps;
  context.ditherLevel = ditherLevel == DitherDiffusion ? DitherDiffusion : DitherOrdered;

  Rect clip;
  clip.xmin = pixelClip.xmin > 0 ? pixelClip.xmin : 0;
  clip.xmax = pixelClip.xmax < target.width ? pixelClip.xmax : target.width;
  clip.ymin = pixelClip.ymin > 0 ? pixelClip.ymin : 0;
  clip.ymax = pixelClip.ymax < target.height ? pixelClip.ymax : target.height;
  if (ClipIsEmpty(clip) || !target.bits) clip = Rect{0, 0, 0, 0};
  context.clip = clip;
  const int32_t scale = antialias ? SubLines : 1;
  context.rasterClip = Rect{clip.xmin * scale, clip.xmax * scale, clip.ymin * scale, clip.ymax * scale};
  ResetEdgeState(context);
}

void AddEdges(RasterContext& context, Edge* first) {
  const Rect& r = context.rasterClip;
  if (context.edgeTableRows == 0) return;
  for (Edge* e = first; e; e = e->next) {
    // Level or inverted edges and edges without a fill switch nothing.
    if (e->y0 >= e->y1 || !e->fillA) continue;
    if (e->y0 > r.ymax || e->y1 <= r.ymin) continue;
    const int32_t row = e->y0 > r.ymin ? e->y0 - r.ymin : 0;
    e->nextInRow = context.edgeTable[row];
    context.edgeTable[row] = e;
    context.hasEdges = true;
  }
}

void FlushFrame(RasterContext& context) {
  if (!context.hasEdges) return;
  PaintFrame(context);
  ResetEdgeState(context);
  context.targetHasContent = true;
}

void PaintFrame(RasterContext& context) {
  FlushPlatformDrawing();
  if (context.edgeTableRows > 0 && context.bits) {
    for (int32_t y = context.rasterClip.ymin; y < context.rasterClip.ymax; ++y) {
      context.currentLine = y;
      InsertNewEdges(context, y);
      SortActiveEdges(context);
      ScanLine(context, y);
      if (context.antialias && (y & 3) == 3) ResolveRow(context, y);
    }
  }
  EndScan(context);
}

void InsertNewEdges(RasterContext& context, int32_t y) {
  const int32_t row = y - context.rasterClip.ymin;
  if (row < 0 || row >= context.edgeTableRows) return;
  ActiveEdge* previous = nullptr;
  for (Edge* e = context.edgeTable[row]; e; e = e->nextInRow) {
    auto* a = context.activeEdgePool.alloc<ActiveEdge>();
    if (!a) return;  // the rest of the row never starts
    StartEdge(*a, *e, y, !context.antialias);
    a->handler = HandlerFor(e->kind);
    // Start next to the edge inserted before and walk to about the right
    // place; the sort that follows makes it exact.
    ActiveEdge* after = previous;
    if (after) {
      while (after->next && after->next->xr < a->xr) after = after->next;
      while (after && after->xr > a->xr) after = after->previous;
    } else {
      ActiveEdge* head = context.activeEdges;
      while (head && head->xr < a->xr) {
        after = head;
        head = head->next;
      }
    }
    LinkAfter(context, after, *a);
    previous = a;
  }
}

void SortActiveEdges(RasterContext& context) {
  // Insertion sort in one pass: from one line to the next the list is
  // nearly sorted, so an edge that is out of place moves back a few steps.
  // Only strictly smaller crossings move in front, so edges with equal xr
  // keep their order: the result is the one stable order by xr.
  for (ActiveEdge* e = context.activeEdges; e && e->next;) {
    ActiveEdge* n = e->next;
    if (n->xr < e->xr) {
      ActiveEdge* after = e->previous;
      while (after && after->xr > n->xr) after = after->previous;
      Unlink(context, *n);
      LinkAfter(context, after, *n);
    } else {
      e = n;
    }
  }
}

void ScanLine(RasterContext& context, int32_t y) {
  if (context.antialias) {
    if (!context.runs) {
      auto* run = context.coverageRunPool.alloc<CoverageRun>();
      if (run) {
        run->next = nullptr;
        run->x0 = context.rasterClip.xmin;
        run->x1 = context.rasterClip.xmax;
        run->count = 0;
        run->uniform = true;
        run->needsSample = false;
        context.runs = run;
      }
    }
    context.runCursor = context.runs;
  } else {
    SetRow(context, y);
  }
  for (ActiveEdge* e = context.activeEdges; e;) {
    ActiveEdge* next = e->next;
    e->handler(context, *e, e->xr);
    if (y + 1 < e->endLine) {
      StepEdge(*e, y + 1);
    } else {
      Unlink(context, *e);
      context.activeEdgePool.freeBlock(e);
    }
    e = next;
  }
}

void HandleTwoFill(RasterContext& context, ActiveEdge& edge, int32_t x) {
  Toggle(context, *edge.fillA, x);
  if (edge.fillB) Toggle(context, *edge.fillB, x);
}

void HandleEvenOdd(RasterContext& context, ActiveEdge& edge, int32_t x) { Toggle(context, *edge.fillA, x); }

void HandleWinding(RasterContext& context, ActiveEdge& edge, int32_t x) {
  FillStyle& fill = *edge.fillA;
  const int32_t old = fill.active;
  fill.active += edge.dir;
  if (old == 0) {
    FillOn(context, fill, x);
  } else if (fill.active == 0 && &fill == context.topFill) {
    RefreshTop(context, x);
  }
}

void FillOn(RasterContext& context, FillStyle& fill, int32_t x) {
  if (!context.topFill) {
    context.topFill = &fill;
    context.topStart = x;
  } else if (fill.priority > context.topFill->priority) {
    EmitSpan(context, x);
    context.topFill = &fill;
    context.topStart = x;
  }
  if (!fill.inActiveList) {
    fill.inActiveList = true;
    fill.activeNext = context.activeFills;
    context.activeFills = &fill;
  }
}

void RefreshTop(RasterContext& context, int32_t x) {
  FillStyle* best = nullptr;
  for (FillStyle** link = &context.activeFills; *link;) {
    FillStyle* f = *link;
    if (f->active == 0) {
      *link = f->activeNext;
      f->activeNext = nullptr;
      f->inActiveList = false;
      continue;
    }
    // On equal priorities the first in the list (the latest on) wins.
    if (!best || f->priority > best->priority) best = f;
    link = &f->activeNext;
  }
  if (best != context.topFill) {
    if (context.topFill) EmitSpan(context, x);
    context.topFill = best;
    context.topStart = x;
  }
}

void EmitSpan(RasterContext& context, int32_t x) {
  FillStyle* fill = context.topFill;
  if (!fill) return;
  if (context.antialias) {
    RecordRun(context, context.topStart, x);
    return;
  }
  const int32_t start = context.topStart > context.clip.xmin ? context.topStart : context.clip.xmin;
  const int32_t end = x < context.clip.xmax ? x : context.clip.xmax;
  if (start < end && fill->painter) fill->painter(context, start, end, *fill);
}

}  // namespace lmr
