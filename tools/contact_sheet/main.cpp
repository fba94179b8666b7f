// contact_sheet -o SHEET.png [--columns N] [--first N] PICTURE.png...
// Tiles the pictures in the order given, row by row, each labelled with its
// number (counting from --first, default 0). Exit 1 when a picture cannot
// be read or the sheet cannot be written, 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/contact_sheet/rgb_image.h"
#include "tools/contact_sheet/sheet_layout.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: contact_sheet -o SHEET.png [--columns N] [--first N] PICTURE.png...\n");
  return 2;
}

bool ParseCount(const char* text, int32_t low, int32_t& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > 100000) return false;
  value = static_cast<int32_t>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lmr::sheet;
  std::string output;
  SheetOptions options;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (arg == "--columns" && i + 1 < argc) {
      if (!ParseCount(argv[++i], 1, options.columns)) return Usage();
    } else if (arg == "--first" && i + 1 < argc) {
      if (!ParseCount(argv[++i], 0, options.firstLabel)) return Usage();
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      inputs.push_back(arg);
    }
  }
  if (output.empty() || inputs.empty()) return Usage();
  std::vector<RgbImage> pictures(inputs.size());
  std::string error;
  for (size_t i = 0; i < inputs.size(); ++i) {
    if (!readPng(inputs[i], pictures[i], error)) {
      std::fprintf(stderr, "contact_sheet: %s\n", error.c_str());
      return 1;
    }
  }
  if (!writePng(output, MakeSheet(pictures, options), error)) {
    std::fprintf(stderr, "contact_sheet: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
