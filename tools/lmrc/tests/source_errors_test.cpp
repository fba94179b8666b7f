// Faults in a source are reported with their line and what is wrong, and
// the program exits non-zero without writing a movie. Also the values the
// language computes: units, matrices and automatic bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

#include "player/engine/stream_reader.h"
#include "tools/lmrc/lib/font_import.h"
#include "tools/lmrc/tests/test_support.h"

namespace lmr::lmrc {
namespace {

struct ErrorCase {
  const char* name;
  const char* source;
  int line;
  const char* message;
  bool needsFonts = false;
};

const ErrorCase ErrorCases[] = {
    {"unknown keyword", "frame\nshpae 1 { }\n", 2, "unknown keyword \"shpae\""},
    {"unknown fill style", "shape 1 {\n  fill soldi #ff0000\n}\n", 2, "unknown fill style \"soldi\""},
    {"bad number", "place 1 1x2\n", 1, "bad number \"1x2\" for depth"},
    {"fraction of a unit", "place 1 1 translate 0.01px 0\n", 1, "not a whole number of movie units"},
    {"number out of range", "drop 70000\n", 1, "out of range (0 to 65535)"},
    {"bad colour", "background #12345\n", 1, "#rrggbb"},
    {"missing argument", "remove 1\n", 1, "missing depth"},
    {"unknown option", "place 1 1 tilt 4\n", 1, "unknown place option \"tilt\""},
    {"unclosed block", "shape 1 {\n  fill solid #000000\n", 1, "not closed"},
    {"stray close", "frame\n}\n", 2, "'}' without a block"},
    {"unclosed string", "actions {\n  url \"http://x\n}\n", 2, "string not closed"},
    {"odd hex digits", "tag 20 <abc>\n", 1, "odd number of hex digits"},
    {"styles after the path", "shape 1 {\n  lineto 1 1\n  fill solid #000000\n}\n", 3, "styles come before the path"},
    {"edge too long", "shape 1 {\n  lineto 70000 0\n}\n", 2, "edge too long"},
    {"width too narrow", "shape 1 {\n  lineto 1000 0 bits 4\n}\n", 2, "too narrow"},
    {"scale too large for a matrix field", "place 1 1 scale 30000\n", 1, "matrix coefficient out of range"},
    {"raw coefficient too large for a field", "place 1 1 matrix 1 0 -16384.5 1 0 0\n", 1,
     "matrix coefficient out of range"},
    {"matrix width too narrow", "place 1 1 translate 100 0 translatebits 3\n", 1, "translatebits 3 is too narrow"},
    {"short header too small", "tag 20 short <" "000102030405060708090a0b0c0d0e0f000102030405060708090a0b0c0d0e0f"
                               "000102030405060708090a0b0c0d0e0f000102030405060708090a0b0c0d0e0f>\n",
     1, "short tag header cannot hold"},
    {"movie line late", "frame\nmovie rate 12\n", 2, "the movie line comes first"},
    {"text without font", "text 1 {\n  color #000000 \"Hi\"\n}\n", 2, "needs a font"},
    {"text record without fields", "text 1 {\n  glyphs 1 advances 1\n}\n", 2, "sets at least one"},
    {"advances do not match", "text 1 {\n  x 0 glyphs 1 2 advances 1\n}\n", 2, "1 advances for 2 glyphs"},
    {"font without code table", "font 1 {\n  glyph { }\n}\ntext 2 {\n  font 1 height 10 \"a\"\n}\n", 5,
     "has no code table"},
    {"state after action", "button 1 {\n  play\n  state idle 2 1\n}\n", 3, "states come before its actions"},
    {"unknown button state", "button 1 {\n  state idel 2 1\n}\n", 2, "unknown button state \"idel\""},
    {"missing picture file", "jpeg 1 \"no/such/picture.jpg\"\n", 1, "cannot open \"no/such/picture.jpg\""},
    {"missing font file", "font 1 \"no/such/font.ttf\"\n", 1, "cannot read font file", true},
    {"font without a requested character",
     "font 1 \"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\"\ntext 2 {\n  font 1 height 10 color #000000 \"a\\u{e000}\"\n}\n",
     1, "has no glyph for U+E000", true},
};

TEST(SourceErrors, NameTheLineAndTheFault) {
  for (const ErrorCase& c : ErrorCases) {
    SCOPED_TRACE(c.name);
    if (c.needsFonts && !enc::fontImportAvailable()) continue;
    try {
      testing::compileText(c.source);
      ADD_FAILURE() << "compiled";
    } catch (const SourceError& e) {
      EXPECT_EQ(e.line, c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(SourceErrors, FontImportWithoutFreeTypeSaysSo) {
  if (enc::fontImportAvailable()) GTEST_SKIP() << "this build imports fonts";
  try {
    testing::compileText("font 1 \"any.ttf\"\n");
    ADD_FAILURE() << "compiled";
  } catch (const SourceError& e) {
    EXPECT_NE(std::string(e.what()).find("without FreeType"), std::string::npos) << e.what();
  }
}

// The values the language computes, checked through the engine's reader.
TEST(SourceValues, UnitsMatricesAndBounds) {
  StoredMovie m = readStoredMovie(testing::compileText(
      "place 1 1 translate 12px -0.05px rotate 90 scale 2\n"
      "shape 2 {\n  line 3 #000000\n  moveto 10 20 line 1\n  curveto 50 -40 90 20\n}\n"));
  ASSERT_EQ(m.tags.size(), 3u);
  const std::vector<uint8_t>& place = m.tags[0].body;
  StreamReader r = StreamReader::over(place.data(), 4, static_cast<int32_t>(place.size()));
  Matrix got = r.readMatrix();
  // Scale, then rotate clockwise on screen: (1, 0) goes to (0, 2).
  EXPECT_EQ(got, (Matrix{0, 2 * FixedOne, -2 * FixedOne, 0, 240, -1}));
  const std::vector<uint8_t>& shape = m.tags[1].body;
  r = StreamReader::over(shape.data(), 2, static_cast<int32_t>(shape.size()));
  // Points 10..90 by -40..20, widened by half the 3-unit line (2).
  EXPECT_EQ(r.readRect(), (Rect{8, 92, -42, 22}));
}

#if !defined(_WIN32)
struct ProgramRun {
  int status;
  std::string errors;
};

ProgramRun runProgram(const std::string& arguments) {
  // One file per test process: ctest runs the tests of this file side by side.
  std::string errorsFile = ::testing::TempDir() + "/lmrc_stderr_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  std::string command = std::string(LMRC_PROGRAM) + " " + arguments + " >/dev/null 2>" + errorsFile;
  int raw = std::system(command.c_str());
  std::vector<uint8_t> text = testing::readBytes(errorsFile);
  return ProgramRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(text.begin(), text.end())};
}

TEST(CommandLine, UsageAndFileErrorsExitNonZero) {
  std::string dir = ::testing::TempDir();
  std::ofstream(dir + "/lmrc_good.lms") << "frame\n";
  std::ofstream(dir + "/lmrc_bad.lms") << "frame\nfill solid #000000\n";
  testing::writeBytes(dir + "/lmrc_notmovie.lmr", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0});
  struct Case {
    const char* name;
    std::string arguments;
    int status;
    const char* message;
  } cases[] = {
      {"no arguments", "", 2, "no source file"},
      {"no output", dir + "/lmrc_good.lms", 2, "no output file"},
      {"-o without a name", dir + "/lmrc_good.lms -o", 2, "-o needs a file name"},
      {"unknown option", "--frobnicate", 2, "unknown option --frobnicate"},
      {"two sources", "a.lms b.lms -o c.lmr", 2, "more than one source file"},
      {"dump without a file", "--dump", 2, "--dump takes one movie file"},
      {"missing source", dir + "/lmrc_none.lms -o " + dir + "/x.lmr", 1, "cannot read the file"},
      {"fault in the source", dir + "/lmrc_bad.lms -o " + dir + "/x.lmr", 1, "lmrc_bad.lms:2: unknown keyword \"fill\""},
      {"dump of a missing file", "--dump " + dir + "/lmrc_none.lmr", 1, "cannot read the file"},
      {"dump of another format", "--dump " + dir + "/lmrc_notmovie.lmr", 1, "signature \"LMV\""},
      {"help", "--help", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRun run = runProgram(c.arguments);
    EXPECT_EQ(run.status, c.status) << run.errors;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
  }
}

TEST(CommandLine, FailedCompileLeavesTheOldMovieAndNoTemporaryFile) {
  std::string dir = ::testing::TempDir();
  std::string movie = dir + "/lmrc_keep.lmr";
  testing::writeBytes(movie, {1, 2, 3});
  std::ofstream(dir + "/lmrc_broken.lms") << "frame\nplace 1\n";
  EXPECT_EQ(runProgram(dir + "/lmrc_broken.lms -o " + movie).status, 1);
  EXPECT_EQ(testing::readBytes(movie), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(testing::readBytes(movie + ".lmrc-tmp").empty());

  std::ofstream(dir + "/lmrc_fine.lms") << "frame\n";
  EXPECT_EQ(runProgram(dir + "/lmrc_fine.lms -o " + movie).status, 0);
  EXPECT_EQ(readStoredMovie(testing::readBytes(movie)).tags.size(), 2u);  // frame, end
}
#endif

}  // namespace
}  // namespace lmr::lmrc
