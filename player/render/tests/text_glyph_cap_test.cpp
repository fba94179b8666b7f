// A text draws at most MaxTextGlyphs glyphs, however its entries are coded:
// with glyph and advance fields of 0 bits every entry is free, and 255 of
// them fit in a record of a few bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/render/drawing_records.h"
#include "player/render/tests/shape_fixture.h"
#include "player/render/text_records.h"

namespace lmr::test {
namespace {

// One glyph, the em square on the baseline: two vertical edges when drawn.
Bytes FreeGlyphsMovie(int32_t entries) {
  enc::ShapeBody square;
  square.hasStyles = false;
  AddSquare(square, 0, -1024, 1024, 1);
  enc::FontBody font;
  font.glyphs.push_back(square);

  enc::TextBody text;
  text.glyphBits = 0;
  text.advanceBits = 0;
  for (int32_t left = entries; left > 0; left -= 255) {
    enc::TextRecord r;
    if (text.records.empty()) {
      r.flags = enc::TextFont | enc::TextColor;
      r.fontId = 1;
      r.height = 20;
      r.color = Rgb{255, 0, 0};
    } else {
      r.flags = enc::TextX;  // a record needs a flag: 0 ends the records
    }
    r.glyphs.assign(static_cast<size_t>(left < 255 ? left : 255), enc::TextGlyph{0, 0});
    text.records.push_back(r);
  }
  return MovieFile({Tag(enc::TagFont, enc::fontBody(1, font)),
                    Tag(enc::TagText, enc::textBody(2, Rect{0, 100, -100, 0}, -1, text)), PlaceTag(2, 1)});
}

TEST(TextGlyphCap, EntriesPastTheCapAreNotDrawn) {
  const struct {
    int32_t entries;
    int32_t drawn;
  } cases[] = {{1, 1}, {300, 300}, {MaxTextGlyphs, MaxTextGlyphs}, {MaxTextGlyphs + 1, MaxTextGlyphs},
               {20 * 255, MaxTextGlyphs}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entries);
    ShapeStage stage(FreeGlyphsMovie(c.entries));
    ASSERT_NE(stage.object(), nullptr);
    BuildDrawingRecords(*stage.object());
    EXPECT_EQ(static_cast<int32_t>(stage.edges().size()), 2 * c.drawn);
  }
}

}  // namespace
}  // namespace lmr::test
