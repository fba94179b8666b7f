// Movies of shapes built with the project's encoder, played into a display
// list: what the renderer's shape walk and frame render are tested on.
#pragma once

#include <cstdint>
#include <vector>

#include "player/engine/display_list.h"
#include "player/engine/movie.h"
#include "player/host/movie_stage.h"
#include "player/render/edge.h"
#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/movie_model.h"
#include "tools/lmrc/lib/tag_bodies.h"

namespace lmr::test {

using Bytes = std::vector<uint8_t>;

inline enc::FillStyleDef SolidStyle(int32_t red, int32_t green, int32_t blue) {
  enc::FillStyleDef f;
  f.type = enc::FillTypeSolid;
  f.color = Rgb{red, green, blue};
  return f;
}

inline enc::ShapeRecord LineTo(int32_t dx, int32_t dy) {
  enc::ShapeRecord r;
  r.kind = enc::ShapeRecord::Line;
  r.dx = dx;
  r.dy = dy;
  return r;
}

inline enc::ShapeRecord CurveBy(int32_t cdx, int32_t cdy, int32_t dx, int32_t dy) {
  enc::ShapeRecord r;
  r.kind = enc::ShapeRecord::Curve;
  r.cdx = cdx;
  r.cdy = cdy;
  r.dx = dx;
  r.dy = dy;
  return r;
}

// A style change: move to (x, y) and select fill 0, fill 1 and the line.
inline enc::ShapeRecord Select(int32_t x, int32_t y, uint32_t fill0, uint32_t fill1, uint32_t line = 0) {
  enc::ShapeRecord r;
  r.kind = enc::ShapeRecord::Change;
  r.flags = enc::StyleMove | enc::StyleFill0 | enc::StyleFill1 | enc::StyleLine;
  r.moveX = x;
  r.moveY = y;
  r.fill0 = fill0;
  r.fill1 = fill1;
  r.line = line;
  return r;
}

// The square [x, x + side) x [y, y + side) drawn clockwise on the screen
// (y grows downwards) with `fill` on its inside as fill 1.
inline void AddSquare(enc::ShapeBody& body, int32_t x, int32_t y, int32_t side, uint32_t fill) {
  body.records.push_back(Select(x, y, 0, fill));
  body.records.push_back(LineTo(side, 0));
  body.records.push_back(LineTo(0, side));
  body.records.push_back(LineTo(-side, 0));
  body.records.push_back(LineTo(0, -side));
}

inline Bytes Tag(uint32_t code, const Bytes& body) {
  enc::BitWriter out;
  enc::writeTag(out, code, body);
  return out.bytes;
}

inline Bytes ShapeTag(uint16_t id, const Rect& bounds, const enc::ShapeBody& body) {
  return Tag(enc::TagShape, enc::shapeBody(id, bounds, -1, body));
}

inline Bytes PlaceTag(uint16_t id, uint16_t depth, const Matrix& m = Matrix{}) {
  enc::CodedMatrix coded;
  coded.m = m;
  return Tag(enc::TagPlace, enc::placeBody(id, depth, coded));
}

inline Bytes MovieFile(const std::vector<Bytes>& tags) {
  Bytes all;
  for (const Bytes& t : tags) all.insert(all.end(), t.begin(), t.end());
  const Bytes end = Tag(enc::TagEnd, {});
  const Bytes frame = Tag(enc::TagFrame, {});
  all.insert(all.end(), frame.begin(), frame.end());
  all.insert(all.end(), end.begin(), end.end());
  return enc::buildMovie(enc::MovieHeader{}, all);
}

// A movie at its frame 0, playing into a display list.
struct ShapeStage : MovieStage {
  explicit ShapeStage(const Bytes& file) {
    appendData(file.data(), static_cast<int32_t>(file.size()));
    movie.seekFrame(0);
  }

  DisplayObject* object() { return list.firstObject; }

  std::vector<const Edge*> edges() {
    std::vector<const Edge*> all;
    for (const Edge* e = object()->edgeRecords; e; e = e->next) all.push_back(e);
    return all;
  }
};

}  // namespace lmr::test
