// The command line of lmr2png: what to render and how, with the limits
// that keep the image within what the renderer can address.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/engine/records.h"
#include "player/engine/view_matrix.h"
#include "player/render/offscreen.h"

namespace lmr::lmr2png {

// Anti-aliased raster units are quarter pixels and edges hold coordinates
// up to +-32000 of them, so no side may exceed 8000 pixels.
constexpr int32_t MaxImageSide = 8000;
// Default size: the frame rectangle at this many movie units per pixel.
constexpr int32_t UnitsPerPixel = 20;

// What the player's quality settings mean here: low renders whole pixels;
// high anti-aliases; best also keeps bitmap smoothing on for movies of
// several frames (the display list's preferSpeed stays clear).
enum class Quality { Low, High, Best };

struct Options {
  std::string moviePath;
  std::string outputPath;
  int32_t frame = 0;
  int32_t width = 0;  // 0 with height 0: from the frame rectangle
  int32_t height = 0;
  Quality quality = Quality::High;
  int32_t formatIndex = Format32;
  uint32_t viewFlags = ScaleShowAll;  // centred
  bool hasBackground = false;
  PackedColor background = 0;
  bool help = false;  // --help: print HelpText, nothing else
};

extern const char* const HelpText;
extern const char* const UsageLine;

// Fills `out` from the arguments (program name not included). False with
// a one-line reason in `error` when they are not a valid command.
bool parseArguments(const std::vector<std::string>& args, Options& out, std::string& error);

}  // namespace lmr::lmr2png
