#include "tools/lmr2png/options.h"

#include <cctype>

#include "player/engine/view_matrix.h"
#include "player/render/offscreen.h"

namespace lmr::lmr2png {

const char* const UsageLine =
    "Usage: lmr2png MOVIE.lmr -o OUT.png [--frame N] [--size WxH] [--quality low|high|best]\n"
    "               [--format 0-7] [--scale showall|noborder|exactfit] [--salign LRTB]\n"
    "               [--bgcolor RRGGBB]\n"
    "       lmr2png --help\n";

const char* const HelpText = R"(lmr2png: renders one frame of a movie into a PNG picture, through the
player's own engine and renderer.

Usage: lmr2png MOVIE.lmr -o OUT.png [options]

  -o OUT.png        the picture to write (8-bit RGB). It is written to a
                    temporary file beside it and renamed when complete, so
                    a failed run never leaves half a picture.
  --frame N         the frame to show, counted from 0 (default 0). The
                    movie's tags are executed up to the end of frame N; the
                    frames' actions are not run.
  --size WxH        picture size in pixels, 1 to 8000 on each side. Default:
                    the movie's frame rectangle at 20 movie units a pixel
                    (rounded up, at least 1x1; a larger frame is scaled down
                    to 8000 pixels on its longer side).
  --quality Q       low: whole pixels, no anti-aliasing. high (default):
                    anti-aliased. best: anti-aliased, and bitmaps stay
                    smoothed even in movies of several frames (at high
                    quality the player trades smoothing for speed there).
  --format F        the offscreen pixel format rendered into (default 7):
                      0  1 bit, black and white
                      1  2 bits, four greys (00, 55, AA, FF)
                      2  4 bits, sixteen greys
                      3  8 bits, the 216-colour cube
                      4  16 bits 5-5-5      5  16 bits 5-6-5
                      6  24 bits            7  32 bits
                    The picture shows what the offscreen holds: palette
                    formats through their colours, 16-bit channels widened.
  --scale MODE      how the frame fits the picture: showall (default, the
                    whole frame with borders), noborder (the picture filled,
                    the frame cropped), exactfit (stretched).
  --salign LRTB     alignment, any of the letters L, R, T, B (e.g. LT);
                    left wins over right, top over bottom; default centred.
  --bgcolor RRGGBB  background colour, as the page's bgcolor parameter sets
                    it: it wins over the movie's own background tags. Like
                    that parameter, FFFFFF (the initial white) stores
                    nothing, so the movie's background then applies.

Exit status:
  0  the picture was written
  3  the picture was written, but frame N was not reached: the movie ended
     or its data ran out; the picture shows the last complete frame (or the
     part of frame 0 that is there) and standard error says which
  1  nothing written: the movie cannot be read, is not a movie, or the
     picture cannot be written
  2  nothing written: the command line is wrong
)";

namespace {

// A whole decimal number without sign, at most `max`.
bool parseCount(const std::string& text, int32_t max, int32_t& out) {
  if (text.empty() || text.size() > 10) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  out = static_cast<int32_t>(v);
  return true;
}

bool parseSize(const std::string& text, int32_t& width, int32_t& height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  return parseCount(text.substr(0, x), MaxImageSide, width) &&
         parseCount(text.substr(x + 1), MaxImageSide, height) && width > 0 && height > 0;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// RRGGBB, with or without a leading '#'.
bool parseColor(std::string text, PackedColor& out) {
  if (!text.empty() && text[0] == '#') text.erase(0, 1);
  if (text.size() != 6) return false;
  uint32_t v = 0;
  for (char c : text) {
    const int digit = hexDigit(c);
    if (digit < 0) return false;
    v = v << 4 | static_cast<uint32_t>(digit);
  }
  out = packColor(v >> 16, v >> 8, v);
  return true;
}

bool parseAlign(const std::string& text, uint32_t& flags) {
  flags = 0;
  for (char c : text) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'L': flags |= AlignLeft; break;
      case 'R': flags |= AlignRight; break;
      case 'T': flags |= AlignTop; break;
      case 'B': flags |= AlignBottom; break;
      default: return false;
    }
  }
  return true;
}

}  // namespace

bool parseArguments(const std::vector<std::string>& args, Options& out, std::string& error) {
  out = Options{};
  bool seen[8] = {};  // -o, --frame, --size, --quality, --format, --scale, --salign, --bgcolor
  uint32_t scaleMode = ScaleShowAll;
  uint32_t align = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    if (name == "--help" || name == "-h") {
      out.help = true;
      continue;
    }
    if (name.empty() || name[0] != '-') {
      if (!out.moviePath.empty()) {
        error = "more than one movie given: " + out.moviePath + ", " + name;
        return false;
      }
      out.moviePath = name;
      continue;
    }
    // Options take a value, as the next argument or after '='.
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.erase(equals);
      hasValue = true;
    }
    static const char* const names[8] = {"-o",      "--frame", "--size",   "--quality",
                                         "--format", "--scale", "--salign", "--bgcolor"};
    int which = -1;
    for (int k = 0; k < 8; ++k) {
      if (name == names[k]) which = k;
    }
    if (which < 0) {
      error = "unknown option " + name;
      return false;
    }
    if (seen[which]) {
      error = name + " is given twice";
      return false;
    }
    seen[which] = true;
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    const std::string bad = "bad value for " + name + ": '" + value + "'";
    switch (which) {
      case 0:
        if (value.empty()) {
          error = "-o needs a file name";
          return false;
        }
        out.outputPath = value;
        break;
      case 1:
        if (!parseCount(value, INT32_MAX - 1, out.frame)) {
          error = bad + " (a frame number from 0)";
          return false;
        }
        break;
      case 2:
        if (!parseSize(value, out.width, out.height)) {
          error = bad + " (WxH, 1 to " + std::to_string(MaxImageSide) + " pixels a side)";
          return false;
        }
        break;
      case 3:
        if (value == "low") {
          out.quality = Quality::Low;
        } else if (value == "high") {
          out.quality = Quality::High;
        } else if (value == "best") {
          out.quality = Quality::Best;
        } else {
          error = bad + " (low, high or best)";
          return false;
        }
        break;
      case 4:
        if (value.size() != 1 || value[0] < '0' || value[0] >= '0' + FormatCount) {
          error = bad + " (0 to 7)";
          return false;
        }
        out.formatIndex = value[0] - '0';
        break;
      case 5:
        if (value == "showall") {
          scaleMode = ScaleShowAll;
        } else if (value == "noborder") {
          scaleMode = ScaleNoBorder;
        } else if (value == "exactfit") {
          scaleMode = ScaleExactFit;
        } else {
          error = bad + " (showall, noborder or exactfit)";
          return false;
        }
        break;
      case 6:
        if (!parseAlign(value, align)) {
          error = bad + " (letters L, R, T, B)";
          return false;
        }
        break;
      default:
        if (!parseColor(value, out.background)) {
          error = bad + " (RRGGBB in hex)";
          return false;
        }
        out.hasBackground = true;
        break;
    }
  }
  out.viewFlags = scaleMode | align;
  if (out.help) return true;
  if (out.moviePath.empty()) {
    error = "no movie given";
    return false;
  }
  if (out.outputPath.empty()) {
    error = "no picture given (-o OUT.png)";
    return false;
  }
  return true;
}

}  // namespace lmr::lmr2png
