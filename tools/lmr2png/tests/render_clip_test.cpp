// The renderer writes only inside the clip: a guard painted over the whole
// offscreen survives everywhere outside the changed pixels, in every
// format, row order and quality, row padding included.
#include <gtest/gtest.h>

#include <sstream>

#include "player/engine/geometry.h"
#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/movie_loading.h"
#include "tools/lmr2png/tests/lmr2png_fixture.h"

namespace lmr::lmr2png::test {
namespace {

// 40 x 30 pixels of frame; a red rectangle reaching far beyond the frame
// on every side, and a green outline of curves with a black line across
// the middle.
Bytes crowdedMovie() {
  return compileMovie(
      "movie rect 0 40px 0 30px rate 12\n" + rectangleShape(1, "#ff0000", -400, -400, 1200, 1000) +
      "shape 2 { fill solid #00ff00; line 2px #000000\n"
      "  moveto 100 100 fill0 1 line 1; curveto 400 -300 700 100; lineto 700 500\n"
      "  curveto 400 900 100 500; close }\n"
      "place 1 1\nplace 2 2\nframe\n");
}

bool bitAt(const uint8_t* row, int64_t bit) { return row[bit >> 3] >> (7 - (bit & 7)) & 1; }

struct ClipCase {
  const char* name;
  Rect changedPixels;  // what is asked for, in pixels
  Rect mayChange;      // the pixels the renderer may write: grown by 2, limited to the target
};

TEST(RenderClip, NothingOutsideTheClipChanges) {
  constexpr int32_t W = 37, H = 23;  // odd: rows end inside bytes and words
  const ClipCase clips[] = {
      {"inner", {10, 25, 6, 15}, {8, 27, 4, 17}},
      {"touching the left and top", {1, 12, 0, 5}, {0, 14, 0, 7}},
      {"beyond every side", {-100, 1000, -100, 1000}, {0, W, 0, H}},
  };
  const Bytes movie = crowdedMovie();
  for (int32_t format = 0; format < FormatCount; ++format) {
    for (Quality quality : {Quality::Low, Quality::High}) {
      for (bool bottomUp : {false, true}) {
        for (const ClipCase& clip : clips) {
          SCOPED_TRACE(std::string("format ") + std::to_string(format) +
                       (quality == Quality::Low ? " low" : " high") + (bottomUp ? " bottom-up " : " top-down ") +
                       clip.name);
          MovieStage stage;
          std::istringstream in(std::string(movie.begin(), movie.end()));
          ASSERT_EQ(loadMovie(stage, in, 0).state, LoadState::FrameReached);
          ASSERT_TRUE(stage.makeOffscreen(format, W, H, bottomUp));
          Offscreen& o = stage.offscreen;
          const size_t bytes = static_cast<size_t>(o.rowBytes) * H;
          for (size_t i = 0; i < bytes; ++i) o.bits[i] = static_cast<uint8_t>(i * 37 + 0xA5);
          const Bytes guard(o.bits, o.bits + bytes);

          applyFrameView(stage, W, H, quality, ScaleShowAll);
          const int32_t scale = quality == Quality::Low ? 1 : 4;
          const Rect& p = clip.changedPixels;
          stage.list.changedArea = Rect{p.xmin * scale, p.xmax * scale, p.ymin * scale, p.ymax * scale};
          stage.list.render();

          // Compare bit by bit: sub-byte formats share bytes between
          // pixels inside and outside the clip.
          const Rect& m = clip.mayChange;
          bool changedInside = false;
          for (int32_t y = 0; y < H; ++y) {
            const uint8_t* now = OffscreenRow(o, y);
            const uint8_t* was = guard.data() + (now - o.bits);
            for (int64_t bit = 0; bit < int64_t{o.rowBytes} * 8; ++bit) {
              const int64_t x = bit / o.bitsPerPixel;
              const bool allowed = y >= m.ymin && y < m.ymax && x >= m.xmin && x < m.xmax;
              const bool same = bitAt(now, bit) == bitAt(was, bit);
              if (!allowed) {
                ASSERT_TRUE(same) << "pixel " << x << "," << y << " (bit " << bit << ")";
              }
              changedInside = changedInside || !same;
            }
          }
          EXPECT_TRUE(changedInside) << "nothing was rendered";
        }
      }
    }
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
