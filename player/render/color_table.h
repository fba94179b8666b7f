// Colour tables of palette targets: up to 256 colours and a 4096-cell
// inverse map that turns any colour into the nearest palette index in one
// lookup. Tables made from colour lists are shared and reference-counted.
#pragma once

#include <cstdint>

namespace lmr {

constexpr int32_t MaxTableColors = 256;
// Cells of the inverse map: 4 bits per channel.
constexpr int32_t InverseMapCells = 4096;

struct ColorEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t zero;
};

struct ColorTable {
  ColorTable* next;  // link in the list of shared tables
  int32_t refCount;  // 1 at creation
  int32_t colorCount;  // at most MaxTableColors
  ColorEntry colors[MaxTableColors];
  // Palette index per cell (red >> 4) << 8 | (green >> 4) << 4 | (blue >> 4).
  uint8_t inverseMap[InverseMapCells];
  void* palette;  // the system palette made from the same colours; none natively
};

// The inverse-map cell of a colour, channels 0 to 255.
constexpr int32_t InverseCell(int32_t red, int32_t green, int32_t blue) {
  return (red & 0xF0) << 4 | (green & 0xF0) | (blue >> 4);
}

// A colour list: `count` entries of red, green, blue, 0.
struct ColorList {
  int32_t count;
  ColorEntry entries[MaxTableColors];
};

// Fills table.inverseMap from table.colors[0 .. colorCount): nearest colour
// by summed channel distance, searched over growing radii 3 to 15 so that of
// two equally near colours the one that reached the cell first wins.
void BuildInverseMap(ColorTable& table);

// The shared table whose colours equal the list (one more reference), or a
// new shared one; none when memory is short or the list is not 1 to 256
// entries long.
ColorTable* findOrCreateColorTable(const ColorList& list);
// A new table of its own (not shared) from palette entries (red, green,
// blue, flags); its system palette keeps the flags, its colours get 0 in
// their fourth byte. None when memory is short or count is not 1 to 256.
ColorTable* colorTableFromPalette(const ColorEntry* entries, int32_t count);
// Drops one reference; the last one frees the table.
void releaseColorTable(ColorTable* table);

// The colour lists that createOffscreen uses when no table is given.
// 1 bit: black, white. 2 bits: four greys. 4 bits: 16 greys i * 16 for
// i = 0 to 14, then 255. Any other depth: the 216-colour cube of levels
// 0, 0x33, ..., 0xFF, red varying fastest.
void DefaultColorList(int32_t bitsPerPixel, ColorList& out);

// Test and shutdown helpers.
ColorTable* sharedColorTablesHead();

}  // namespace lmr
