// Truncated, bit-flipped and spliced movies through the player's loading
// and rendering path and through the dumper: played as far as they are
// sound (AddressSanitizer and UBSan watch every read), and dumped exactly
// or refused with a message. Among them the inputs that fuzzing found
// faults with.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "player/render/offscreen.h"
#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/movie_loading.h"
#include "tools/lmr2png/pixel_readback.h"
#include "tools/lmr2png/tests/lmr2png_fixture.h"
#include "tools/lmrc/dumper.h"
#include "tools/lmrc/movie_decoder.h"

namespace lmr::lmr2png::test {
namespace {

// Curves, a line, a gradient, a button that shows itself, and a text in a
// font of glyph outlines, over three frames.
Bytes richMovie() {
  return compileMovie(R"(movie rect 0 40px 0 30px rate 12
shape 1 {
  fill solid #ff0000
  fill linear scale 0.02 stops 0 #ffffff 255 #0000ff
  line 30 #000000
  moveto 0 0 fill0 1 line 1
  curveto 300 -100 600 0
  lineto 600 400
  curveto 300 500 0 400
  close
  moveto 100 100 fill0 2
  lineto 300 100
  lineto 300 300
  close
}
button 2 {
  state idle+hover 1 1 scale 0.5
  state idle+pressed+hit 2 2 translate 20 20
  play
}
font 3 {
  glyph code "A" advance 600 { moveto 0 0; lineto 300 -700; lineto 600 0; close }
}
text 4 { font 3 height 200 color #00ff00 x 20 y 500 "AAA" }
place 1 1
place 2 2 translate 100 50
frame
place 4 3
remove 1 1
place 1 4 rotate 30 translate 200 0
frame
actions { goto 0 }
frame
)");
}

Bytes truncated(Bytes m, size_t keep) {
  m.resize(keep);
  return m;
}

Bytes flipped(Bytes m, std::initializer_list<size_t> offsets, uint8_t mask) {
  for (size_t at : offsets) m[at % m.size()] ^= mask;
  return m;
}

// The head of one movie up to `cut`, then the tail of another from `from`.
Bytes spliced(const Bytes& head, size_t cut, const Bytes& tail, size_t from) {
  Bytes m(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(cut));
  m.insert(m.end(), tail.begin() + static_cast<std::ptrdiff_t>(from), tail.end());
  return m;
}

enum class Dump { Refused, Exact, Either };

void playEverywhere(const Bytes& file) {
  for (int32_t block : {1, 7, MovieBlockBytes}) {
    for (int32_t frame : {0, 2, 9}) {
      MovieStage stage;
      std::istringstream in(std::string(file.begin(), file.end()));
      const LoadOutcome outcome = loadMovie(stage, in, frame, block);
      if (!canRender(outcome)) continue;
      for (int32_t format : {Format1Bit, Format8Bit, Format565, Format32}) {
        for (Quality quality : {Quality::Low, Quality::High}) {
          renderFrame(stage, format, 24, 18, quality, ScaleShowAll);
        }
      }
    }
  }
}

TEST(DamagedMovies, PlayAsFarAsSoundAndDumpExactlyOrRefuse) {
  const Bytes rich = richMovie();
  const Bytes square = squareMovie("#00ff00");
  // The frame rectangle's last byte holds padding bits after its fields.
  const size_t rectBytes = (5 + 4 * (rich[8] >> 3) + 7) / 8;
  const struct {
    const char* name;
    Bytes file;
    Dump dump;
  } cases[] = {
      {"whole", rich, Dump::Exact},
      {"inside the header", truncated(rich, 5), Dump::Refused},
      {"inside the frame rectangle", truncated(rich, 10), Dump::Refused},
      {"inside the shape", truncated(rich, rich.size() / 4), Dump::Refused},
      {"inside the button", truncated(rich, rich.size() / 2), Dump::Refused},
      {"one byte short", truncated(rich, rich.size() - 1), Dump::Refused},
      {"declared length flipped up", flipped(rich, {6}, 0x40), Dump::Refused},
      {"declared length flipped down", flipped(rich, {4}, 0xF0), Dump::Either},
      {"frame rectangle padding bits set", flipped(rich, {8 + rectBytes - 1}, 1), Dump::Refused},
      {"tag lengths and style counts flipped", flipped(rich, {21, 22, 23, 40, 41}, 0xFF), Dump::Either},
      {"every 16th byte flipped", flipped(rich, {24, 40, 56, 72, 88, 104, 120, 136, 152, 168}, 0x5A),
       Dump::Either},
      {"high bits of the shape records flipped", flipped(rich, {60, 61, 62, 63, 64, 65}, 0x80), Dump::Either},
      {"a shape's head on another movie's tags", spliced(rich, rich.size() / 3, square, 21), Dump::Either},
      {"a movie's header on the other's tail", spliced(square, 21, rich, rich.size() / 2), Dump::Either},
      {"the movie twice", spliced(rich, rich.size(), rich, 0), Dump::Either},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    playEverywhere(c.file);
    try {
      const std::string source = lmrc::dumpMovie(c.file);
      EXPECT_NE(c.dump, Dump::Refused) << source;
      EXPECT_EQ(compileMovie(source), c.file) << source;
    } catch (const lmrc::MovieFormatError& e) {
      EXPECT_NE(c.dump, Dump::Exact) << e.what();
    }
  }
}

TEST(DamagedMovies, HugeZoomIntoAFillKeepsItFilled) {
  // A round shape of radius 16000 units placed 16000 times larger, centred
  // on the frame: the picture lies deep inside its fill. Its curves are
  // taller than the renderer can halve down to its curve height, and far
  // left, right, above and below the view: the left ones must still switch
  // the fill on for every row (they were once dropped at the depth limit,
  // which left the picture empty), and the far ones cost one piece each.
  const Bytes movie = compileMovie(R"(movie rect 0 40px 0 30px rate 12
background #ffffff
shape 1 {
  fill solid #ff0000
  moveto -16000 0 fill0 1
  curveto -16000 -16000 0 -16000
  curveto 16000 -16000 16000 0
  curveto 16000 16000 0 16000
  curveto -16000 16000 -16000 0
}
place 1 1 matrix 16000 0 0 16000 400 300
frame
)");
  for (Quality quality : {Quality::Low, Quality::High}) {
    SCOPED_TRACE(quality == Quality::Low ? "pixels" : "anti-aliased");
    MovieStage stage;
    std::istringstream in(std::string(movie.begin(), movie.end()));
    ASSERT_EQ(loadMovie(stage, in, 0).state, LoadState::FrameReached);
    ASSERT_TRUE(renderFrame(stage, Format32, 40, 30, quality, ScaleShowAll));
    const Bytes rgb = offscreenToRgb(stage.offscreen);
    size_t red = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) red += rgb[i] == 255 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
    EXPECT_EQ(red, rgb.size() / 3);
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
