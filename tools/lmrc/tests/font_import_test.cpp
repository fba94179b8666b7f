// Fonts imported through FreeType: a text in DejaVu Sans compiles, its
// glyph records decode back to FreeType's own curves (scaled to the
// 1024-unit em square), and the text's glyph indices and advances follow
// the font's code table and metrics.
#include <gtest/gtest.h>

#include <cmath>

#include "player/engine/stream_reader.h"
#include "tools/lmrc/lib/font_import.h"
#include "tools/lmrc/tests/test_support.h"

#ifdef LMRC_TEST_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#endif

namespace lmr::lmrc {
namespace {

constexpr const char* FontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A curve as absolute points: (x0, y0) control (cx, cy) to (x1, y1); a line
// has its control at the start.
struct Segment {
  int64_t x0, y0, cx, cy, x1, y1;
  bool curved;
  bool operator==(const Segment& o) const {
    return x0 == o.x0 && y0 == o.y0 && cx == o.cx && cy == o.cy && x1 == o.x1 && y1 == o.y1 && curved == o.curved;
  }
};

// Walks a glyph outline with the engine's reader, as the renderer will.
[[maybe_unused]] std::vector<Segment> glyphSegments(const std::vector<uint8_t>& body, int32_t start, int32_t stop) {
  std::vector<Segment> out;
  StreamReader r = StreamReader::over(body.data(), start, stop);
  int fillBits = static_cast<int>(r.readBits(4)), lineBits = static_cast<int>(r.readBits(4));
  int64_t x = 0, y = 0;
  while (!r.overrun) {
    if (r.readBits(1)) {
      bool straight = r.readBits(1);
      int w = static_cast<int>(r.readBits(4)) + 2;
      Segment s{x, y, x, y, x, y, !straight};
      if (straight) {
        int32_t dx = 0, dy = 0;
        if (r.readBits(1)) {
          dx = r.readSignedBits(w);
          dy = r.readSignedBits(w);
        } else if (r.readBits(1)) {
          dy = r.readSignedBits(w);
        } else {
          dx = r.readSignedBits(w);
        }
        x += dx;
        y += dy;
      } else {
        s.cx = x + r.readSignedBits(w);
        s.cy = y + r.readSignedBits(w);
        x = s.cx + r.readSignedBits(w);
        y = s.cy + r.readSignedBits(w);
      }
      s.x1 = x;
      s.y1 = y;
      out.push_back(s);
    } else {
      uint32_t flags = r.readBits(5);
      if (flags == 0) break;
      if (flags & 1) {
        int n = static_cast<int>(r.readBits(5));
        x = r.readSignedBits(n);
        y = r.readSignedBits(n);
      }
      if (flags & 2) r.readBits(fillBits);
      if (flags & 4) r.readBits(fillBits);
      if (flags & 8) r.readBits(lineBits);
    }
  }
  EXPECT_FALSE(r.overrun);
  return out;
}

#ifdef LMRC_TEST_FREETYPE
// FreeType's outline of one character, scaled to 1024 units, y down.
struct Collect {
  double scale;
  std::vector<Segment> out;
  int64_t x = 0, y = 0;
  int64_t ex(FT_Pos v) const { return std::llround(static_cast<double>(v) * scale); }
  int64_t ey(FT_Pos v) const { return -std::llround(static_cast<double>(v) * scale); }
};

std::vector<Segment> freetypeSegments(uint32_t code) {
  FT_Library lib;
  FT_Face face;
  EXPECT_EQ(FT_Init_FreeType(&lib), 0);
  EXPECT_EQ(FT_New_Face(lib, FontPath, 0, &face), 0);
  FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
  Collect outline{1024.0 / face->units_per_EM, {}};
  FT_Outline_Funcs f{};
  f.move_to = [](const FT_Vector* to, void* u) {
    Collect* c = static_cast<Collect*>(u);
    c->x = c->ex(to->x);
    c->y = c->ey(to->y);
    return 0;
  };
  f.line_to = [](const FT_Vector* to, void* u) {
    Collect* c = static_cast<Collect*>(u);
    Segment s{c->x, c->y, c->x, c->y, c->ex(to->x), c->ey(to->y), false};
    if (s.x1 != s.x0 || s.y1 != s.y0) c->out.push_back(s);
    c->x = s.x1;
    c->y = s.y1;
    return 0;
  };
  f.conic_to = [](const FT_Vector* k, const FT_Vector* to, void* u) {
    Collect* c = static_cast<Collect*>(u);
    Segment s{c->x, c->y, c->ex(k->x), c->ey(k->y), c->ex(to->x), c->ey(to->y), true};
    c->out.push_back(s);
    c->x = s.x1;
    c->y = s.y1;
    return 0;
  };
  f.cubic_to = [](const FT_Vector*, const FT_Vector*, const FT_Vector*, void*) { return 1; };
  FT_Outline_Decompose(&face->glyph->outline, &f, &outline);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return outline.out;
}
#endif

// Builds without FreeType (the Win32 side) have no font import to test.
#ifdef LMRC_TEST_FREETYPE
TEST(FontImport, TextInDejaVuSansDecodesToTheFontsCurves) {
  if (!enc::fontImportAvailable()) GTEST_SKIP() << "built without FreeType";
  std::vector<uint8_t> movie = testing::compileText(
      std::string("font 1 \"") + FontPath + "\"\n"
      "text 2 { font 1 height 512 color #000000 x 0 y 0 \"oS!o\" }\n");
  StoredMovie m = readStoredMovie(movie);
  const StoredTag* font = testing::findTag(m, enc::TagFont);
  const StoredTag* face = testing::findTag(m, enc::TagFontFace);
  const StoredTag* text = testing::findTag(m, enc::TagText);
  ASSERT_TRUE(font && face && text);

  // Only the characters used, in code order: '!', 'S', 'o'.
  uint16_t id;
  enc::FontFace details;
  ASSERT_TRUE(decodeFontFaceTag(face->body, id, details));
  EXPECT_EQ(details.name, "DejaVu Sans");
  EXPECT_EQ(details.codes, (std::vector<uint16_t>{'!', 'S', 'o'}));

  const std::vector<uint8_t>& b = font->body;
  ASSERT_GE(b.size(), 8u);
  auto offset = [&](int i) { return 2 + (b[2 + 2 * i] | b[3 + 2 * i] << 8); };
  EXPECT_EQ(offset(0), 2 + 6);
  const uint32_t codes[] = {'!', 'S', 'o'};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(static_cast<char>(codes[i]));
    int32_t stop = i < 2 ? offset(i + 1) : static_cast<int32_t>(b.size());
    std::vector<Segment> got = glyphSegments(b, offset(i), stop);
    EXPECT_GT(got.size(), 3u);
    // Each segment starts where the previous one of its contour ended, and
    // the whole outline stays in the em square.
    for (const Segment& s : got) {
      EXPECT_LT(std::abs(s.x1), 1024);
      EXPECT_LT(std::abs(s.y1), 1024);
    }
#ifdef LMRC_TEST_FREETYPE
    EXPECT_EQ(got, freetypeSegments(codes[i]));
#endif
  }

  // Glyph indices follow the code table; advances are the font's at 512/1024.
  Rect bounds;
  int bits;
  enc::TextBody body;
  ASSERT_TRUE(decodeTextTag(text->body, id, bounds, bits, body));
  ASSERT_EQ(body.records.size(), 1u);
  std::vector<uint32_t> indices;
  for (const enc::TextGlyph& g : body.records[0].glyphs) indices.push_back(g.index);
  EXPECT_EQ(indices, (std::vector<uint32_t>{2, 1, 0, 2}));
  // DejaVu Sans: 'o' advances 1253 of 2048 units, 627 of 1024 (rounded),
  // so 314 movie units at a height of 512.
  EXPECT_EQ(body.records[0].glyphs[0].advance, 314);
  EXPECT_LT(bounds.ymin, 0);  // glyphs rise above the baseline
  EXPECT_GT(bounds.xmax, 600);
}
#endif

TEST(FontImport, CubicsSplitIntoQuadraticsNearTheCurve) {
  using enc::PointD;
  // A quadratic raised to a cubic comes back as that one quadratic.
  std::vector<PointD> q = enc::cubicToQuadratics({0, 0}, {20, 40}, {40, 40}, {60, 0});
  ASSERT_EQ(q.size(), 2u);
  EXPECT_NEAR(q[0].x, 30, 1e-9);
  EXPECT_NEAR(q[0].y, 60, 1e-9);
  // A real S-shaped cubic: every piece's midpoint stays within a unit.
  PointD p0{0, 0}, c1{300, 900}, c2{700, -900}, p3{1000, 0};
  q = enc::cubicToQuadratics(p0, c1, c2, p3);
  ASSERT_GE(q.size(), 4u);
  PointD start = p0;
  size_t pieces = q.size() / 2;
  for (size_t i = 0; i < pieces; ++i) {
    PointD c = q[2 * i], end = q[2 * i + 1];
    double t = (i + 0.5) / static_cast<double>(pieces), u = 1 - t;
    double cubicX = u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x;
    double cubicY = u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y;
    double midX = 0.25 * start.x + 0.5 * c.x + 0.25 * end.x, midY = 0.25 * start.y + 0.5 * c.y + 0.25 * end.y;
    EXPECT_LT(std::hypot(midX - cubicX, midY - cubicY), 1.0) << "piece " << i;
    start = end;
  }
  EXPECT_NEAR(start.x, 1000, 1e-9);
  EXPECT_NEAR(start.y, 0, 1e-9);
}

}  // namespace
}  // namespace lmr::lmrc
