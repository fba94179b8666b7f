// Imports glyph outlines from a TrueType or OpenType file through FreeType
// into the format's glyph records: quadratic curves in the 1024-unit em
// square, y growing downwards from the baseline. Cubic outlines are split
// into quadratic pieces. Only builds with FreeType can import; the others
// report it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/lmrc/lib/movie_model.h"

namespace lmr::enc {

constexpr int FontEmUnits = 1024;

struct ImportedFont {
  FontBody body;                  // glyphs in the order of `codes`
  FontFace face;                  // family name, bold and italic from the file, the codes
  std::vector<int32_t> advances;  // per glyph, em units
};

struct FontImportError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool fontImportAvailable();

// One glyph per code, in the given order. Throws FontImportError when the
// file cannot be read or lacks a character.
ImportedFont importFont(const std::string& path, const std::vector<uint32_t>& codes);

// A cubic curve as quadratic pieces (control, anchor pairs after p0), each
// within about half a unit of the cubic. Points are in any unit.
struct PointD {
  double x = 0, y = 0;
};
std::vector<PointD> cubicToQuadratics(PointD p0, PointD c1, PointD c2, PointD p3);

}  // namespace lmr::enc
