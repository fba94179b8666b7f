#include "player/render/color_table.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "player/platform/platform.h"

namespace lmr {

namespace {

// Tables made from colour lists, newest first; shared by every player.
ColorTable* sharedColorTables = nullptr;

// The colour a 4-bit level stands for: c * 16, except 15, which is 255.
constexpr int32_t LevelValue(int32_t level) { return level == 15 ? 255 : level * 16; }

constexpr int32_t Distance(int32_t a, int32_t b) { return a > b ? a - b : b - a; }

// A table of `count` colours with its inverse map and a system palette
// whose entries carry `paletteFlags`. The table's own entries keep 0 in
// their fourth byte.
ColorTable* NewTable(const ColorEntry* entries, int32_t count, const uint8_t* paletteFlags) {
  if (count < 1 || count > MaxTableColors) return nullptr;
  auto* table = static_cast<ColorTable*>(std::calloc(1, sizeof(ColorTable)));
  if (!table) return nullptr;
  table->refCount = 1;
  table->colorCount = count;
  uint8_t paletteEntries[MaxTableColors * PaletteEntryBytes];
  for (int32_t i = 0; i < count; ++i) {
    const ColorEntry& e = entries[i];
    table->colors[i] = ColorEntry{e.red, e.green, e.blue, 0};
    uint8_t* p = paletteEntries + i * PaletteEntryBytes;
    p[0] = e.red;
    p[1] = e.green;
    p[2] = e.blue;
    p[3] = paletteFlags ? paletteFlags[i] : PaletteNoCollapse;
  }
  BuildInverseMap(*table);
  // None natively; on Windows a missing palette only costs colour
  // fidelity on palette displays, so the table is kept either way.
  table->palette = CreatePlatformPalette(paletteEntries, count);
  return table;
}

bool SameColors(const ColorTable& table, const ColorList& list) {
  if (table.colorCount != list.count) return false;
  return std::memcmp(table.colors, list.entries, sizeof(ColorEntry) * static_cast<size_t>(list.count)) == 0;
}

}  // namespace

void BuildInverseMap(ColorTable& table) {
  // Best distance per cell; 255 marks a cell no colour has reached yet.
  uint8_t best[InverseMapCells];
  std::memset(best, 255, sizeof best);
  std::memset(table.inverseMap, 0, sizeof table.inverseMap);
  int32_t unset = InverseMapCells;
  for (int32_t radius = 3; radius <= 15 && unset > 0; ++radius) {
    for (int32_t j = 0; j < table.colorCount; ++j) {
      const ColorEntry& e = table.colors[j];
      const int32_t lr = e.red >> 4, lg = e.green >> 4, lb = e.blue >> 4;
      const int32_t r0 = lr - radius > 0 ? lr - radius : 0, r1 = lr + radius < 15 ? lr + radius : 15;
      const int32_t g0 = lg - radius > 0 ? lg - radius : 0, g1 = lg + radius < 15 ? lg + radius : 15;
      const int32_t b0 = lb - radius > 0 ? lb - radius : 0, b1 = lb + radius < 15 ? lb + radius : 15;
      for (int32_t r = r0; r <= r1; ++r) {
        const int32_t dr = Distance(LevelValue(r), e.red);
        for (int32_t g = g0; g <= g1; ++g) {
          const int32_t drg = dr + Distance(LevelValue(g), e.green);
          for (int32_t b = b0; b <= b1; ++b) {
            int32_t d = drg + Distance(LevelValue(b), e.blue);
            if (d > 254) d = 254;  // so that a reached cell never looks unset
            const int32_t cell = r << 8 | g << 4 | b;
            if (d < best[cell]) {
              if (best[cell] == 255) --unset;
              best[cell] = static_cast<uint8_t>(d);
              table.inverseMap[cell] = static_cast<uint8_t>(j);
            }
          }
        }
      }
    }
  }
}

ColorTable* findOrCreateColorTable(const ColorList& list) {
  for (ColorTable* t = sharedColorTables; t; t = t->next) {
    if (SameColors(*t, list)) {
      ++t->refCount;
      return t;
    }
  }
  ColorTable* table = NewTable(list.entries, list.count, nullptr);
  if (!table) return nullptr;
  table->next = sharedColorTables;
  sharedColorTables = table;
  return table;
}

ColorTable* colorTableFromPalette(const ColorEntry* entries, int32_t count) {
  if (!entries || count < 1 || count > MaxTableColors) return nullptr;
  // The system palette keeps the given entries' flags (their fourth byte).
  uint8_t flags[MaxTableColors];
  for (int32_t i = 0; i < count; ++i) flags[i] = entries[i].zero;
  ColorTable* table = NewTable(entries, count, flags);
  if (table) table->next = nullptr;
  return table;
}

void releaseColorTable(ColorTable* table) {
  if (!table || --table->refCount > 0) return;
  for (ColorTable** link = &sharedColorTables; *link; link = &(*link)->next) {
    if (*link == table) {
      *link = table->next;
      break;
    }
  }
  ReleasePlatformPalette(table->palette);
  std::free(table);
}

void DefaultColorList(int32_t bitsPerPixel, ColorList& out) {
  std::memset(&out, 0, sizeof out);
  auto put = [&out](int32_t red, int32_t green, int32_t blue) {
    out.entries[out.count++] = ColorEntry{static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                          static_cast<uint8_t>(blue), 0};
  };
  switch (bitsPerPixel) {
    case 1:
      put(0, 0, 0);
      put(255, 255, 255);
      break;
    case 2:
      for (int32_t v : {0x00, 0x55, 0xAA, 0xFF}) put(v, v, v);
      break;
    case 4:
      for (int32_t i = 0; i < 15; ++i) put(i * 16, i * 16, i * 16);
      put(255, 255, 255);
      break;
    default:
      for (int32_t b = 0; b < 6; ++b) {
        for (int32_t g = 0; g < 6; ++g) {
          for (int32_t r = 0; r < 6; ++r) put(r * 0x33, g * 0x33, b * 0x33);
        }
      }
      break;
  }
}

ColorTable* sharedColorTablesHead() { return sharedColorTables; }

}  // namespace lmr
