// Helpers of the lmr2png tests: movies compiled from source text, a
// scratch folder per test, the command run in-process, PNGs read back.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "player/engine/records.h"
#include "tools/lmr2png/lmr2png_command.h"
#include "tools/lmrc/source_compiler.h"
#include "tools/png/png_file.h"

namespace lmr::lmr2png::test {

using Bytes = std::vector<uint8_t>;

inline Bytes compileMovie(const std::string& source) { return lmrc::compileSource(source, "."); }

// A rectangle shape of one solid colour, in movie units.
inline std::string rectangleShape(int id, const std::string& color, int x0, int y0, int x1, int y1) {
  const std::string a = std::to_string(x0), b = std::to_string(y0), c = std::to_string(x1),
                    d = std::to_string(y1);
  return "shape " + std::to_string(id) + " { fill solid " + color + "; moveto " + a + " " + b +
         " fill0 1; lineto " + c + " " + b + "; lineto " + c + " " + d + "; lineto " + a + " " + d +
         "; close }\n";
}

// 40 x 30 pixels, white, with a square of `color` over pixels 10 to 29 and
// 10 to 19.
inline Bytes squareMovie(const std::string& color, const std::string& extra = "") {
  return compileMovie("movie rect 0 40px 0 30px rate 12\n" + extra +
                      rectangleShape(1, color, 200, 200, 600, 400) + "place 1 1\nframe\n");
}

// Two frames of 40 x 30 pixels: a red square in frame 0, a blue one in
// its place in frame 1 (pixels 10 to 29 and 10 to 19).
inline Bytes twoFrameMovie() {
  return compileMovie("movie rect 0 40px 0 30px rate 12\n" + rectangleShape(1, "#ff0000", 200, 200, 600, 400) +
                      rectangleShape(2, "#0000ff", 200, 200, 600, 400) +
                      "place 1 1\nframe\nremove 1 1\nplace 2 1\nframe\n");
}

inline Rgb rgb(int32_t r, int32_t g, int32_t b) { return Rgb{r, g, b}; }
inline bool sameRgb(const Rgb& p, const Rgb& q) { return p.red == q.red && p.green == q.green && p.blue == q.blue; }
inline std::string show(const Rgb& c) {
  return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " + std::to_string(c.blue) + ")";
}

// A folder of its own for each test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("lmr2png-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file(name);
  }
  std::set<std::string> names() const {
    std::set<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) all.insert(entry.path().filename().string());
    return all;
  }

 private:
  std::filesystem::path path_;
};

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline RunResult run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  RunResult r;
  r.status = runCommand(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

// A PNG read back as 8-bit RGB.
struct Picture {
  bool valid = false;
  int32_t width = 0;
  int32_t height = 0;
  Bytes rgb;

  Rgb at(int32_t x, int32_t y) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

inline Picture readPng(const std::string& path) {
  Picture p;
  std::string ignored;
  p.valid = png::readRgbPng(path, p.width, p.height, p.rgb, ignored);
  return p;
}

}  // namespace lmr::lmr2png::test
