// What the command writes and how it exits, for good movies, movies that
// end early, broken files and bad command lines.
#include <gtest/gtest.h>

#include "tools/lmr2png/options.h"
#include "tools/lmr2png/tests/lmr2png_fixture.h"

namespace lmr::lmr2png::test {
namespace {

const Bytes OldPicture = {'o', 'l', 'd'};

struct InputCase {
  const char* name;
  const char* file;  // written into the folder from `inputs` below, or missing
  std::vector<std::string> options;
  int status;
  const char* message;  // a part of standard error; "" for none expected
  bool written;
  Rgb square;  // pixel (15, 15) when written
};

TEST(ExitStatus, MoviesAndFiles) {
  const Bytes movie = twoFrameMovie();
  // Without the frame tag and end tag of frame 1 (2 bytes each): its
  // remove and place have arrived, its end has not.
  const Bytes cutInFrame1(movie.begin(), movie.end() - 4);
  Bytes badSignature = movie;
  badSignature[0] = 'X';
  Bytes shortLength = movie;
  shortLength[4] = 4;  // declared length 4: less than the 8 header bytes
  shortLength[5] = shortLength[6] = shortLength[7] = 0;
  const std::vector<std::pair<const char*, Bytes>> inputs = {
      {"movie.lmr", movie},
      {"cut.lmr", cutInFrame1},
      {"header.lmr", Bytes(movie.begin(), movie.begin() + 12)},
      {"empty.lmr", {}},
      {"signature.lmr", badSignature},
      {"length.lmr", shortLength},
  };
  const Rgb red = rgb(255, 0, 0), blue = rgb(0, 0, 255), none{};
  const InputCase cases[] = {
      {"frame 0", "movie.lmr", {}, ExitWritten, "", true, red},
      {"frame 1", "movie.lmr", {"--frame", "1"}, ExitWritten, "", true, blue},
      {"beyond the end", "movie.lmr", {"--frame", "5"}, ExitFrameNotReached,
       "frame 5 not reached: the movie ends after 2 frame(s); the picture shows frame 1", true, blue},
      {"data ends inside frame 1", "cut.lmr", {"--frame", "1"}, ExitFrameNotReached,
       "the picture shows frame 0", true, red},
      {"frame 0 of a cut movie", "cut.lmr", {}, ExitWritten, "", true, red},
      {"header cut", "header.lmr", {}, ExitNoPicture, "header", false, none},
      {"empty file", "empty.lmr", {}, ExitNoPicture, "empty", false, none},
      {"missing file", "missing.lmr", {}, ExitNoPicture, "cannot read", false, none},
      {"a folder", ".", {}, ExitNoPicture, "cannot read", false, none},
      {"bad signature", "signature.lmr", {}, ExitNoPicture, "LMV", false, none},
      {"length below the header", "length.lmr", {}, ExitNoPicture, "not a movie", false, none},
  };
  for (const InputCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    for (const auto& [name, bytes] : inputs) folder.write(name, bytes);
    const std::string out = folder.write("out.png", OldPicture);
    std::vector<std::string> args = {folder.file(c.file), "-o", out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const std::set<std::string> before = folder.names();

    const RunResult r = run(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (*c.message) {
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
    // No temporary file stays behind, whatever happened.
    EXPECT_EQ(folder.names(), before);
    if (c.written) {
      const Picture p = readPng(out);
      ASSERT_TRUE(p.valid);
      EXPECT_TRUE(sameRgb(p.at(15, 15), c.square)) << show(p.at(15, 15));
    } else {
      EXPECT_EQ(readFile(out), OldPicture);
    }
  }
}

TEST(ExitStatus, PictureThatCannotBeWritten) {
  ScratchFolder folder;
  const std::string movie = folder.write("movie.lmr", twoFrameMovie());
  for (const std::string& out : {folder.file("no-such-folder/out.png"), folder.file("")}) {
    SCOPED_TRACE(out);
    const RunResult r = run({movie, "-o", out});
    EXPECT_EQ(r.status, ExitNoPicture);
    EXPECT_NE(r.err.find("cannot"), std::string::npos) << r.err;
  }
  EXPECT_EQ(folder.names(), std::set<std::string>{"movie.lmr"});
}

TEST(ExitStatus, BadCommandLines) {
  ScratchFolder folder;
  const std::string movie = folder.write("movie.lmr", twoFrameMovie());
  const std::string out = folder.file("out.png");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {movie},
      {"-o", out},
      {movie, "-o"},
      {movie, "-o", ""},
      {movie, movie, "-o", out},
      {movie, "-o", out, "-o", out},
      {movie, "-o", out, "--zoom", "2"},
      {movie, "-o", out, "-"},
      {movie, "-o", out, "--frame"},
      {movie, "-o", out, "--frame", "-1"},
      {movie, "-o", out, "--frame", "one"},
      {movie, "-o", out, "--frame", "99999999999"},
      {movie, "-o", out, "--frame", "2", "--frame", "3"},
      {movie, "-o", out, "--size", "0x5"},
      {movie, "-o", out, "--size", "8001x10"},
      {movie, "-o", out, "--size", "10x8001"},
      {movie, "-o", out, "--size", "10"},
      {movie, "-o", out, "--size", "10x"},
      {movie, "-o", out, "--size", "-10x10"},
      {movie, "-o", out, "--quality", "medium"},
      {movie, "-o", out, "--format", "8"},
      {movie, "-o", out, "--format", "-1"},
      {movie, "-o", out, "--format", "32"},
      {movie, "-o", out, "--scale", "fit"},
      {movie, "-o", out, "--salign", "X"},
      {movie, "-o", out, "--salign", "LTC"},
      {movie, "-o", out, "--bgcolor", "GG0000"},
      {movie, "-o", out, "--bgcolor", "12345"},
      {movie, "-o", out, "--bgcolor", "1234567"},
  };
  for (const std::vector<std::string>& args : cases) {
    std::string line;
    for (const std::string& a : args) line += "'" + a + "' ";
    SCOPED_TRACE(line);
    const RunResult r = run(args);
    EXPECT_EQ(r.status, ExitUsage);
    EXPECT_NE(r.err.find("lmr2png: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Usage:"), std::string::npos) << r.err;
    EXPECT_EQ(folder.names(), std::set<std::string>{"movie.lmr"});
  }
}

TEST(ExitStatus, OptionsInBothForms) {
  // "--name value" and "--name=value" mean the same; letters of --salign in
  // either case.
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> pairs = {
      {{"--frame", "3"}, {"--frame=3"}},
      {{"--size", "64x48"}, {"--size=64X48"}},
      {{"--salign", "LT"}, {"--salign=tl"}},
      {{"--bgcolor", "00ff00"}, {"--bgcolor=#00FF00"}},
  };
  for (const auto& [spaced, joined] : pairs) {
    SCOPED_TRACE(joined[0]);
    std::vector<std::string> a = {"m.lmr", "-o", "o.png"}, b = a;
    a.insert(a.end(), spaced.begin(), spaced.end());
    b.insert(b.end(), joined.begin(), joined.end());
    Options first, second;
    std::string error;
    ASSERT_TRUE(parseArguments(a, first, error)) << error;
    ASSERT_TRUE(parseArguments(b, second, error)) << error;
    EXPECT_EQ(first.frame, second.frame);
    EXPECT_EQ(first.width, second.width);
    EXPECT_EQ(first.height, second.height);
    EXPECT_EQ(first.viewFlags, second.viewFlags);
    EXPECT_EQ(first.background, second.background);
  }
}

TEST(ExitStatus, HelpExplainsEverything) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"-h"}}) {
    const RunResult r = run(args);
    EXPECT_EQ(r.status, ExitWritten);
    EXPECT_EQ(r.err, "");
    for (const char* word : {"-o ", "--frame", "--size", "--quality", "--format", "--scale", "--salign",
                             "--bgcolor", "Exit status", "8000", "20 movie units"}) {
      EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
