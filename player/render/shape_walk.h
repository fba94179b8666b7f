// Shape bodies to drawing records: one walk over a shape's (or a glyph's)
// stored body reads its styles into fill records and turns its edge
// records into Edges in raster units, each monotonic in y, cut where
// needed; edges under a line style also go to the stroker.
//
// Call order: OpenShapeContext, set what the walk is for (object, glyph
// mode, preset fills for glyphs), BuildShapeEdges.
#pragma once

#include <cstdint>

#include "player/engine/movie_format.h"
#include "player/engine/records.h"
#include "player/engine/stream_reader.h"
#include "player/render/curve.h"
#include "player/render/edge_emitter.h"
#include "player/render/fill_style.h"

namespace lmr {

struct DisplayList;
struct DisplayObject;
struct Movie;
struct RasterContext;

// Fill and line style tables hold this many entries; entry 0 is none.
constexpr int32_t StyleTableSize = 256;
// ReadShapeRecord results besides the style-change flags.
constexpr int32_t RecordEdge = 0;
constexpr int32_t RecordEnd = 128;


struct ShapeContext {
  StreamReader reader;  // over the body; its limit is the defining tag's end
  DisplayList* list;
  Movie* movie;
  FillStyle* ownFills;     // a list head of the context's own
  FillStyle** fillList;    // the list head that receives new fill records
  Matrix matrix;           // movie units to raster units
  RasterContext* raster;   // fills are prepared for it; none: not prepared
  uint32_t priorityBase;   // object depth << 16
  int32_t lineCount;
  int32_t fillCount;
  FillStyle* fills[StyleTableSize];
  LineStyle lines[StyleTableSize];
  int32_t fillBits;
  int32_t lineBits;
  int32_t lineIndex;
  int32_t fill0Index;
  int32_t fill1Index;
  Point position;        // movie units
  Point devicePosition;  // raster units
  bool glyphMode;        // outlines fill by winding (glyphs)
  bool clampMode;        // the object reaches beyond +-32000 raster units
  uint8_t edgeKind;      // what new edges get
  FillStyle* fillA;
  FillStyle* fillB;
  int32_t depth;         // subdivision depth
  DisplayObject* object;  // receives the edges
};

// A walk over the body at bodyOffset of the movie's buffer, read up to
// bodyLimit (the end of the tag that holds it). Fills go to the context's
// own list, no raster context, counts and indices 0, position (0, 0) and
// its image (tx, ty).
void OpenShapeContext(ShapeContext& context, DisplayList& list, Movie& movie, int32_t bodyOffset,
                      int32_t bodyLimit, const Matrix& deviceMatrix);
// Walks the body to its end record (or to where it runs out) and emits
// the object's fill edges and strokes. bounds: the object's device bounds,
// or none.
void BuildShapeEdges(ShapeContext& context, bool readStyles, const Rect* bounds);
// Reads the fill and line style arrays into the context's tables.
void ReadShapeStyles(ShapeContext& context);
// RecordEdge (curve filled in), RecordEnd, or the flags of a style change.
// A body that runs out reads as its end.
int32_t ReadShapeRecord(ShapeContext& context, Curve& curve);
// Stores the curve as one or more edges of the object, with the walk's
// edge kind, fills, clamp mode and depth (EmitCurveEdge).
void AddCurveEdge(ShapeContext& context, const Curve& curve);

// Computes a bitmap or gradient fill's `inverse`: device pixels (16.16 for
// bitmaps, .8 for gradients) to style space.
void ComputeStyleInverse(FillStyle& fill, const Matrix& deviceMatrix, bool antialias);

}  // namespace lmr
