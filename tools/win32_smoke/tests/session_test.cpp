// One scripted session in the 32-bit program: a movie built with the
// project's encoder arrives block by block, plays its first frame and is
// rendered into the player's offscreen (a DIB section here), where a few
// pixels are checked.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "player/engine/records.h"
#include "player/engine/result_codes.h"
#include "player/engine/view_matrix.h"
#include "player/host/movie_stage.h"
#include "player/render/color_table.h"
#include "player/render/offscreen.h"
#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/movie_model.h"
#include "tools/lmrc/lib/tag_bodies.h"

namespace lmr {
namespace {

using Bytes = std::vector<uint8_t>;

// Movie units per pixel in the 40 x 30 window.
constexpr int32_t Unit = 20;
constexpr int32_t Width = 40;
constexpr int32_t Height = 30;

void append(Bytes& all, uint32_t code, const Bytes& body) {
  enc::BitWriter out;
  enc::writeTag(out, code, body);
  all.insert(all.end(), out.bytes.begin(), out.bytes.end());
}

// Blue background; a red square over pixels 10..19 on both axes.
Bytes squareMovie() {
  enc::ShapeBody square;
  enc::FillStyleDef red;
  red.type = enc::FillTypeSolid;
  red.color = Rgb{255, 0, 0};
  square.fills.push_back(red);
  enc::ShapeRecord move;
  move.kind = enc::ShapeRecord::Change;
  move.flags = enc::StyleMove | enc::StyleFill0 | enc::StyleFill1 | enc::StyleLine;
  move.moveX = 10 * Unit;
  move.moveY = 10 * Unit;
  move.fill1 = 1;
  square.records.push_back(move);
  const int32_t steps[4][2] = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}};
  for (const auto& s : steps) {
    enc::ShapeRecord line;
    line.kind = enc::ShapeRecord::Line;
    line.dx = s[0] * Unit;
    line.dy = s[1] * Unit;
    square.records.push_back(line);
  }

  Bytes tags;
  append(tags, enc::TagBackground, enc::backgroundBody(Rgb{0, 0, 255}));
  append(tags, enc::TagShape, enc::shapeBody(1, Rect{10 * Unit, 20 * Unit, 10 * Unit, 20 * Unit}, -1, square));
  enc::CodedMatrix identity;
  append(tags, enc::TagPlace, enc::placeBody(1, 1, identity));
  append(tags, enc::TagFrame, {});
  append(tags, enc::TagEnd, {});
  enc::MovieHeader header;
  header.frame = Rect{0, Width * Unit, 0, Height * Unit};
  return enc::buildMovie(header, tags);
}

// The colour a pixel shows, whatever the offscreen's format.
Rgb pixelAt(const Offscreen& o, int32_t x, int32_t y) {
  const uint8_t* row = OffscreenRow(o, y);
  switch (o.formatIndex) {
    case Format8Bit: {
      const ColorEntry& e = o.colorTable->colors[row[x]];
      return Rgb{e.red, e.green, e.blue};
    }
    case Format24: return Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    default: {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return Rgb{static_cast<int32_t>(v >> 16 & 255), static_cast<int32_t>(v >> 8 & 255),
                 static_cast<int32_t>(v & 255)};
    }
  }
}

struct SessionCase {
  const char* name;
  int32_t format;
  bool antialias;
  bool bottomUp;
};

TEST(Win32Session, MovieBlocksToOffscreenPixels) {
  const SessionCase cases[] = {
      {"32 bits", Format32, false, true},
      {"32 bits, anti-aliased", Format32, true, true},
      {"24 bits, top-down", Format24, false, false},
      {"8-bit palette", Format8Bit, false, true},
  };
  const Bytes file = squareMovie();
  for (const SessionCase& c : cases) {
    SCOPED_TRACE(c.name);
    MovieStage stage;
    // Blocks of 7 bytes, as a slow stream delivers them: the frame is
    // complete only once its last byte is in.
    constexpr size_t Block = 7;
    int32_t result = ResultNeedData;
    for (size_t at = 0; at < file.size(); at += Block) {
      ASSERT_EQ(result, ResultNeedData) << "frame complete before byte " << at;
      const size_t n = file.size() - at < Block ? file.size() - at : Block;
      stage.appendData(file.data() + at, static_cast<int32_t>(n));
      result = stage.movie.seekFrame(0);
    }
    ASSERT_EQ(result, ResultOk);
    ASSERT_TRUE(stage.movie.headerParsed);

    ASSERT_TRUE(stage.makeOffscreen(c.format, Width, Height, c.bottomUp));
    stage.viewWindow(Width, Height, c.antialias, ScaleExactFit);
    stage.list.render();

    const struct {
      int32_t x, y;
      Rgb color;
    } probes[] = {
        {0, 0, Rgb{0, 0, 255}},   {39, 29, Rgb{0, 0, 255}}, {9, 15, Rgb{0, 0, 255}},
        {20, 15, Rgb{0, 0, 255}}, {10, 10, Rgb{255, 0, 0}}, {19, 19, Rgb{255, 0, 0}},
        {15, 15, Rgb{255, 0, 0}},
    };
    for (const auto& p : probes) {
      const Rgb got = pixelAt(stage.offscreen, p.x, p.y);
      EXPECT_TRUE(got.red == p.color.red && got.green == p.color.green && got.blue == p.color.blue)
          << "pixel " << p.x << "," << p.y << " is " << got.red << " " << got.green << " " << got.blue;
    }
  }
}

}  // namespace
}  // namespace lmr
