// Encodes shape bodies and glyph outlines: fill and line style arrays, the
// index widths and the bit-packed shape records, ended by an end record.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/movie_model.h"

namespace lmr::enc {

// Widths of the fill and line indices when the body leaves them at -1: the
// smallest that holds the style counts and every index the records use.
int shapeFillBits(const ShapeBody& body);
int shapeLineBits(const ShapeBody& body);
// The delta width (2 to 17) an edge record is written with, and its straight form.
int edgeBits(const ShapeRecord& record);
LineForm lineForm(const ShapeRecord& record);
int moveBits(const ShapeRecord& record);

void writeFillStyle(BitWriter& out, const FillStyleDef& fill);
// Style arrays (when hasStyles), index widths, records, end record; ends aligned.
void writeShapeBody(BitWriter& out, const ShapeBody& body);
std::vector<uint8_t> encodeShapeBody(const ShapeBody& body);

}  // namespace lmr::enc
