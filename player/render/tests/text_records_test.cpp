// Texts drawn from glyph outlines: where each glyph lands (height, pen,
// matrices), which fill it gets, what reaches the pixels, and how bodies
// that end early or name missing glyphs are handled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "player/engine/chunk_memory.h"
#include "player/engine/geometry.h"
#include "player/render/drawing_records.h"
#include "player/render/fill_style.h"
#include "player/render/tests/raster_fixture.h"
#include "player/render/tests/shape_fixture.h"
#include "tools/lmrc/lib/font_import.h"
#include "tools/lmrc/lib/shape_encoder.h"

namespace lmr::test {
namespace {

constexpr uint16_t FontId = 1;
constexpr uint16_t TextId = 2;
constexpr uint16_t ShapeId = 3;  // a shape, never placed: not a font
constexpr uint16_t MissingId = 99;
const Rect TextBounds{-2000, 2000, -2000, 2000};
const Rgb Red{255, 0, 0};
const Rgb Green{0, 255, 0};
const Rgb Blue{0, 0, 255};

// A glyph outline: the square of `side` em units standing on the baseline,
// (0, -side) to (side, 0).
enc::ShapeBody SquareGlyph(int32_t side) {
  enc::ShapeBody glyph;
  glyph.hasStyles = false;
  AddSquare(glyph, 0, -side, side, 1);
  return glyph;
}

// Glyph 0 fills the em square, glyph 1 is half as wide and tall.
enc::FontBody SquareFont() {
  enc::FontBody font;
  font.glyphs.push_back(SquareGlyph(1024));
  font.glyphs.push_back(SquareGlyph(512));
  return font;
}

// Glyph 0 is an empty outline whose two bytes, read as the offset entry of
// glyph 3 (just past the table of three), would name glyph 2's outline: a
// reader that runs past the table draws a full square for glyph 3.
enc::FontBody DecoyFont() {
  const enc::ShapeBody half = SquareGlyph(512);
  const int32_t glyph2 = 3 * 2 + 2 + static_cast<int32_t>(enc::encodeShapeBody(half).size());
  enc::ShapeBody decoy;
  decoy.hasStyles = false;
  // Its bytes: the index widths F << 4 | L, then the end record's 0.
  decoy.fillBits = glyph2 >> 4;
  decoy.lineBits = glyph2 & 15;
  EXPECT_EQ(enc::encodeShapeBody(decoy), (Bytes{static_cast<uint8_t>(glyph2), 0}));
  enc::FontBody font;
  font.glyphs = {decoy, half, SquareGlyph(1024)};
  return font;
}

// A text record, built field by field. One without fields gets a spare
// flag bit (0 would end the records).
struct Rec {
  enc::TextRecord r;
  Rec& font(uint16_t id, uint16_t height) {
    r.flags |= enc::TextFont;
    r.fontId = id;
    r.height = height;
    return *this;
  }
  Rec& color(const Rgb& c) {
    r.flags |= enc::TextColor;
    r.color = c;
    return *this;
  }
  Rec& x(int16_t v) {
    r.flags |= enc::TextX;
    r.x = v;
    return *this;
  }
  Rec& y(int16_t v) {
    r.flags |= enc::TextY;
    r.y = v;
    return *this;
  }
  Rec& glyph(uint32_t index, int32_t advance) {
    r.glyphs.push_back(enc::TextGlyph{index, advance});
    return *this;
  }
  operator enc::TextRecord() const {
    enc::TextRecord out = r;
    if (out.flags == 0) out.flags = 0x10;
    return out;
  }
};

enc::TextBody Text(const std::vector<enc::TextRecord>& records, const Matrix& matrix = Matrix{}) {
  enc::TextBody body;
  body.matrix.m = matrix;
  body.records = records;
  return body;
}

Bytes FontTag(const enc::FontBody& font) { return Tag(enc::TagFont, enc::fontBody(FontId, font)); }
Bytes TextTag(const enc::TextBody& text) { return Tag(enc::TagText, enc::textBody(TextId, TextBounds, -1, text)); }

Bytes BackgroundTag(const Rgb& c) {
  enc::BitWriter b;
  b.rgb(static_cast<uint32_t>(c.red), static_cast<uint32_t>(c.green), static_cast<uint32_t>(c.blue));
  return Tag(enc::TagBackground, b.bytes);
}

// The font, a shape that is not a font, the text placed at depth 1.
Bytes TextMovie(const Bytes& fontTag, const Bytes& textTag, const Matrix& placement = Matrix{}) {
  enc::ShapeBody shape;
  shape.fills.push_back(SolidStyle(0, 0, 0));
  AddSquare(shape, 0, 0, 10, 1);
  return MovieFile({BackgroundTag(Blue), fontTag, ShapeTag(ShapeId, Rect{0, 10, 0, 10}, shape), textTag,
                    PlaceTag(TextId, 1, placement)});
}

// Where a square glyph lands: its left side, top and side, raster units.
struct Box {
  int32_t x, top, side;
};

// A square keeps its two vertical edges: "x y0 y1" each, sorted.
std::vector<std::string> BoxEdges(const std::vector<Box>& boxes) {
  std::vector<std::string> out;
  for (const Box& b : boxes) {
    for (int32_t x : {b.x, b.x + b.side}) {
      out.push_back(std::to_string(x) + " " + std::to_string(b.top) + " " + std::to_string(b.top + b.side));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> Describe(const std::vector<const Edge*>& edges) {
  std::vector<std::string> out;
  for (const Edge* e : edges) {
    EXPECT_EQ(e->x0, e->x1);
    out.push_back(std::to_string(e->x0) + " " + std::to_string(e->y0) + " " + std::to_string(e->y1));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<const FillStyle*> Fills(const DisplayObject& object) {
  std::vector<const FillStyle*> all;
  for (const FillStyle* f = object.fillRecords; f; f = f->next) all.push_back(f);
  return all;
}

struct LayoutCase {
  const char* name;
  std::vector<enc::TextRecord> records;
  std::vector<Box> boxes;
  Matrix textMatrix = Matrix{};
  Matrix placement = Matrix{};
  int glyphBits = -1;
  int advanceBits = -1;
  enc::FontBody font = SquareFont();
};

Matrix ScaleThenTranslate(Fixed scale, int32_t tx, int32_t ty) {
  Matrix m = matrixScale(scale, scale);
  m.tx = tx;
  m.ty = ty;
  return m;
}

TEST(TextRecords, GlyphsLandWhereHeightPenAndMatricesPutThem) {
  const Rec first = Rec().font(FontId, 20).color(Red).x(100).y(50).glyph(0, 30);
  const std::vector<LayoutCase> cases = {
      {"height 20 draws the em square 20 units tall", {first}, {{100, 30, 20}}},
      {"a half-em glyph at height 20 is 10 units", {Rec(first).glyph(1, 30)}, {{100, 30, 20}, {130, 40, 10}}},
      {"height 1024 draws outlines at their own size",
       {Rec().font(FontId, 1024).color(Red).y(1024).glyph(0, 0)},
       {{0, 0, 1024}}},
      {"a record without a font keeps font and height, at the x it sets",
       {first, Rec().x(300).glyph(0, 30)},
       {{100, 30, 20}, {300, 30, 20}}},
      {"a record without an x starts where the advances ended",
       {first, Rec().y(90).glyph(0, 30)},
       {{100, 30, 20}, {130, 70, 20}}},
      {"a record with no fields continues the pen", {first, Rec().glyph(0, 0)}, {{100, 30, 20}, {130, 30, 20}}},
      {"a new height scales the glyphs after it", {first, Rec().font(FontId, 40).glyph(0, 0)},
       {{100, 30, 20}, {130, 10, 40}}},
      {"nothing is drawn before the first colour",
       {Rec().font(FontId, 20).x(100).y(50).glyph(0, 30), Rec().color(Red).glyph(0, 30)},
       {{130, 30, 20}}},
      {"a glyph before any font is skipped, its advance still counts",
       {Rec().color(Red).x(100).y(50).glyph(0, 30), Rec().font(FontId, 20).glyph(0, 30)},
       {{130, 30, 20}}},
      {"font ids of a shape or of nothing give no font",
       {Rec().font(ShapeId, 20).color(Red).x(100).y(50).glyph(0, 30), Rec().font(MissingId, 20).glyph(0, 30),
        Rec().font(FontId, 20).glyph(0, 30)},
       {{160, 30, 20}}},
      // Index 2 is just past the table, where glyph 0's outline bytes lie;
      // 1000 points past the font tag.
      {"indices beyond the glyph table are skipped, the pen still moves",
       {Rec(first).glyph(2, 30).glyph(1000, 30).glyph(0, 30)},
       {{100, 30, 20}, {190, 30, 20}}},
      {"the glyph table ends where the first outline starts",
       {Rec().font(FontId, 20).color(Red).x(100).y(50).glyph(3, 30).glyph(2, 30)},
       {{130, 30, 20}}, Matrix{}, Matrix{}, -1, -1, DecoyFont()},
      {"negative advances move the pen back", {Rec(first).glyph(0, -80).glyph(0, 0)},
       {{100, 30, 20}, {130, 30, 20}, {50, 30, 20}}},
      {"32-bit glyph and advance fields", {Rec(first).glyph(1, -10).glyph(0, 0)},
       {{100, 30, 20}, {130, 40, 10}, {120, 30, 20}}, Matrix{}, Matrix{}, 32, 32},
      {"wider fields are read as 32 bits, as written", {Rec(first).glyph(1, 30)},
       {{100, 30, 20}, {130, 40, 10}}, Matrix{}, Matrix{}, 40, 200},
      // The record matrix comes first, then the text matrix, then the
      // placement: x = 2 * 100 + 10, top = 2 * 30 + 5.
      {"record matrix, then text matrix, then placement", {Rec(first).glyph(0, 0)},
       {{210, 65, 40}, {270, 65, 40}}, ScaleThenTranslate(2 * FixedOne, 10, 0),
       ScaleThenTranslate(FixedOne, 0, 5)},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    enc::TextBody text = Text(c.records, c.textMatrix);
    text.glyphBits = c.glyphBits;
    text.advanceBits = c.advanceBits;
    ShapeStage stage(TextMovie(FontTag(c.font), TextTag(text), c.placement));
    ASSERT_NE(stage.object(), nullptr);
    BuildDrawingRecords(*stage.object());
    EXPECT_EQ(Describe(stage.edges()), BoxEdges(c.boxes));
  }
}

TEST(TextRecords, EachColourIsANewFillAboveTheOnesBefore) {
  ShapeStage stage(TextMovie(FontTag(SquareFont()),
                             TextTag(Text({Rec().font(FontId, 20).color(Red).x(100).y(50).glyph(0, 30),
                                           Rec().color(Green).glyph(0, 30), Rec().glyph(0, 30)}))));
  DisplayObject& object = *stage.object();
  BuildDrawingRecords(object);
  const std::vector<const FillStyle*> fills = Fills(object);
  ASSERT_EQ(fills.size(), 2u);
  const FillStyle* red = fills[0]->red == 255 ? fills[0] : fills[1];
  const FillStyle* green = red == fills[0] ? fills[1] : fills[0];
  EXPECT_EQ((Rgb{red->red, red->green, red->blue}), Red);
  EXPECT_EQ((Rgb{green->red, green->green, green->blue}), Green);
  EXPECT_EQ(red->type, FillSolid);
  EXPECT_GT(green->priority, red->priority);
  // Both lie in the band of the object's depth.
  EXPECT_EQ(red->priority >> 16, keyDepth(object.key));
  EXPECT_EQ(green->priority >> 16, keyDepth(object.key));
  // Glyph outlines count windings; the glyph before the colour change
  // gets the first fill, the ones after it the second.
  for (const Edge* e : stage.edges()) {
    EXPECT_EQ(e->kind, EdgeWinding);
    EXPECT_EQ(e->fillB, nullptr);
    EXPECT_EQ(e->fillA, e->x0 < 130 ? red : green) << "edge at x " << e->x0;
  }
}

// One character per pixel: r red, g green, b blue, '?' anything else.
std::string Picture(const TestTarget& t) {
  std::string s;
  for (int32_t y = 0; y < t.offscreen.height; ++y) {
    for (int32_t x = 0; x < t.offscreen.width; ++x) {
      const Rgb p = t.pixel(x, y);
      s += p == Red ? 'r' : p == Green ? 'g' : p == Blue ? 'b' : '?';
    }
    s += '\n';
  }
  return s;
}

void Render(ShapeStage& stage, TestTarget& target, bool antialias) {
  stage.list.setOffscreen(&target.offscreen);
  const Fixed scale = antialias ? AntialiasScale * FixedOne : FixedOne;
  stage.list.applyView(matrixScale(scale, scale), antialias);
  stage.list.render();
}

TEST(TextRecords, RenderedGlyphsShowTheirColours) {
  // Red glyphs at x 10 and 20, a green one at 30, all on y 10..30: the
  // red glyphs overlap (windings add up, the overlap stays red), the green
  // one covers the second red one's right half.
  const Bytes movie = TextMovie(
      FontTag(SquareFont()),
      TextTag(Text({Rec().font(FontId, 20).color(Red).x(10).y(30).glyph(0, 10).glyph(0, 10),
                    Rec().color(Green).glyph(0, 0)})));
  std::string expected;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      const bool inside = y >= 10 && y < 30;
      expected += inside && x >= 10 && x < 30 ? 'r' : inside && x >= 30 && x < 50 ? 'g' : 'b';
    }
    expected += '\n';
  }
  for (bool antialias : {false, true}) {
    SCOPED_TRACE(antialias ? "antialias" : "pixels");
    ShapeStage stage(movie);
    TestTarget target(Format32, 60, 40);
    Render(stage, target, antialias);
    EXPECT_EQ(Picture(target), expected);
  }
}

// The outline's bounds in em units: moves are absolute, edges relative.
[[maybe_unused]] Rect OutlineBounds(const enc::ShapeBody& glyph) {
  Rect r{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
  int32_t x = 0, y = 0;
  auto add = [&r](int32_t px, int32_t py) {
    r.xmin = std::min(r.xmin, px);
    r.xmax = std::max(r.xmax, px);
    r.ymin = std::min(r.ymin, py);
    r.ymax = std::max(r.ymax, py);
  };
  for (const enc::ShapeRecord& s : glyph.records) {
    if (s.kind == enc::ShapeRecord::Change) {
      if (s.flags & enc::StyleMove) {
        x = s.moveX;
        y = s.moveY;
      }
      continue;
    }
    x += s.cdx + s.dx;
    y += s.cdy + s.dy;
    add(x, y);
  }
  return r;
}

// The Win32 build has no FreeType, so no font import to render from.
#ifndef _WIN32
TEST(TextRecords, ImportedCapitalIRendersAsItsStem) {
  constexpr const char* FontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!enc::fontImportAvailable()) GTEST_SKIP() << "built without FreeType";
  if (!std::ifstream(FontPath)) GTEST_SKIP() << FontPath << " is not installed";
  const enc::ImportedFont imported = enc::importFont(FontPath, {'I'});
  ASSERT_EQ(imported.body.glyphs.size(), 1u);
  // At height 256 one movie unit is 4 em units; the baseline at y 200.
  const Rect em = OutlineBounds(imported.body.glyphs[0]);
  const Rect stem{10 + em.xmin / 4, 10 + em.xmax / 4, 200 + em.ymin / 4, 200 + em.ymax / 4};
  ASSERT_GT(stem.xmax - stem.xmin, 10);
  ASSERT_GT(stem.ymax - stem.ymin, 100);
  ShapeStage stage(TextMovie(Tag(enc::TagFont, enc::fontBody(FontId, imported.body)),
                             TextTag(Text({Rec().font(FontId, 256).color(Red).x(10).y(200).glyph(0, 0)}))));
  TestTarget target(Format32, 80, 220);
  Render(stage, target, true);
  // Pixels wholly inside the stem are red, those a pixel clear of it blue.
  for (int32_t y = 0; y < 220; ++y) {
    for (int32_t x = 0; x < 80; ++x) {
      const bool inside = x > stem.xmin && x + 1 < stem.xmax && y > stem.ymin && y + 1 < stem.ymax;
      const bool outside = x + 1 < stem.xmin || x > stem.xmax || y + 1 < stem.ymin || y > stem.ymax;
      if (inside) {
        ASSERT_EQ(target.pixel(x, y), Red) << x << ", " << y;
      } else if (outside) {
        ASSERT_EQ(target.pixel(x, y), Blue) << x << ", " << y;
      }
    }
  }
}
#endif

// Three records of two colours; the text as a whole draws these boxes.
enc::TextBody ThreeRecords() {
  return Text({Rec().font(FontId, 20).color(Red).x(100).y(50).glyph(0, 30).glyph(1, 30),
               Rec().color(Green).x(300).glyph(1, 30).glyph(0, 30), Rec().y(200).glyph(0, 30)});
}

TEST(TextRecords, BodiesCutShortDrawOnlyWhatTheyHold) {
  const Bytes fullFont = enc::fontBody(FontId, SquareFont());
  const Bytes fullText = enc::textBody(TextId, TextBounds, -1, ThreeRecords());
  ShapeStage whole(TextMovie(Tag(enc::TagFont, fullFont), Tag(enc::TagText, fullText)));
  BuildDrawingRecords(*whole.object());
  const std::vector<std::string> all = Describe(whole.edges());
  ASSERT_EQ(all.size(), 10u);

  struct Cut {
    const char* name;
    bool cutFont;  // else the text
  };
  for (const Cut& cut : {Cut{"font", true}, Cut{"text", false}}) {
    const Bytes& full = cut.cutFont ? fullFont : fullText;
    for (size_t n = 0; n < full.size(); ++n) {
      SCOPED_TRACE(std::string(cut.name) + " cut to " + std::to_string(n) + " bytes");
      const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
      ShapeStage stage(TextMovie(Tag(enc::TagFont, cut.cutFont ? part : fullFont),
                                 Tag(enc::TagText, cut.cutFont ? fullText : part)));
      if (!stage.object()) continue;  // the text tag was too short to define the text
      BuildDrawingRecords(*stage.object());
      // Every edge is one of the whole text's: nothing is read from the
      // bytes after the tag.
      for (const std::string& e : Describe(stage.edges())) {
        EXPECT_NE(std::find(all.begin(), all.end(), e), all.end()) << e;
      }
      EXPECT_LE(Fills(*stage.object()).size(), 2u);
    }
  }
}

TEST(TextRecords, TextStopsAtTheColourThatGetsNoFillRecord) {
  // A colour per glyph, more colours than one chunk of fill records holds.
  constexpr int32_t Glyphs = 70;
  std::vector<enc::TextRecord> records = {Rec().font(FontId, 20).x(0).y(50)};
  for (int32_t i = 0; i < Glyphs; ++i) records.push_back(Rec().color(Rgb{i, 0, 0}).glyph(0, 30));
  ShapeStage stage(TextMovie(FontTag(SquareFont()), TextTag(Text(records))));
  // Fresh pools: one chunk of fill records and one of edges may be had.
  setChunkFailAfter(2);
  BuildDrawingRecords(*stage.object());
  setChunkFailAfter(-1);
  const size_t kept = Fills(*stage.object()).size();
  EXPECT_EQ(kept, FillRecordsPerChunk);
  std::vector<Box> boxes;
  for (size_t i = 0; i < kept; ++i) boxes.push_back(Box{30 * static_cast<int32_t>(i), 30, 20});
  EXPECT_EQ(Describe(stage.edges()), BoxEdges(boxes));
}

}  // namespace
}  // namespace lmr::test
