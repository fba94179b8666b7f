#include "tools/lmrc/lib/font_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifdef LMRC_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#endif

namespace lmr::enc {

std::vector<PointD> cubicToQuadratics(PointD p0, PointD c1, PointD c2, PointD p3) {
  // The error of one quadratic per cubic piece is at most
  // sqrt(3)/36 * |p3 - 3 c2 + 3 c1 - p0|, and it shrinks with the cube of
  // the number of pieces.
  double ex = p3.x - 3 * c2.x + 3 * c1.x - p0.x, ey = p3.y - 3 * c2.y + 3 * c1.y - p0.y;
  double error = std::sqrt(3.0) / 36.0 * std::sqrt(ex * ex + ey * ey);
  int pieces = std::clamp(static_cast<int>(std::ceil(std::cbrt(error / 0.5))), 1, 64);
  std::vector<PointD> out;
  auto at = [&](double t) {
    double u = 1 - t;
    return PointD{u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x,
                  u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y};
  };
  auto slope = [&](double t) {  // derivative / 3
    double u = 1 - t;
    return PointD{u * u * (c1.x - p0.x) + 2 * u * t * (c2.x - c1.x) + t * t * (p3.x - c2.x),
                  u * u * (c1.y - p0.y) + 2 * u * t * (c2.y - c1.y) + t * t * (p3.y - c2.y)};
  };
  for (int i = 0; i < pieces; ++i) {
    double t0 = static_cast<double>(i) / pieces, t1 = static_cast<double>(i + 1) / pieces, h = t1 - t0;
    PointD a = at(t0), b = at(t1), da = slope(t0), db = slope(t1);
    // The piece's own cubic control points, then the midpoint quadratic.
    PointD q1{a.x + da.x * h, a.y + da.y * h}, q2{b.x - db.x * h, b.y - db.y * h};
    out.push_back(PointD{(3 * (q1.x + q2.x) - a.x - b.x) / 4, (3 * (q1.y + q2.y) - a.y - b.y) / 4});
    out.push_back(b);
  }
  return out;
}

#ifdef LMRC_HAVE_FREETYPE

namespace {

// Turns FreeType's outline callbacks into shape records. Points arrive in
// font units, y up; records hold em-square units, y down.
struct OutlineSink {
  double scale = 1;
  ShapeBody* body = nullptr;
  int64_t x = 0, y = 0;  // current position, em units
  PointD last;           // current position, font units
  bool first = true;

  int64_t ex(double fx) const { return std::llround(fx * scale); }
  int64_t ey(double fy) const { return -std::llround(fy * scale); }

  void move(PointD p) {
    ShapeRecord r;
    r.kind = ShapeRecord::Change;
    r.flags = StyleMove;
    if (first) {
      r.flags |= StyleFill1;  // glyphs fill with the text's colour, fill 1
      r.fill1 = 1;
      first = false;
    }
    x = ex(p.x);
    y = ey(p.y);
    r.moveX = static_cast<int32_t>(x);
    r.moveY = static_cast<int32_t>(y);
    body->records.push_back(r);
    last = p;
  }
  void line(PointD p) {
    ShapeRecord r;
    int64_t nx = ex(p.x), ny = ey(p.y);
    r.kind = ShapeRecord::Line;
    r.dx = static_cast<int32_t>(nx - x);
    r.dy = static_cast<int32_t>(ny - y);
    x = nx;
    y = ny;
    last = p;
    if (r.dx != 0 || r.dy != 0) body->records.push_back(r);
  }
  void conic(PointD c, PointD p) {
    ShapeRecord r;
    r.kind = ShapeRecord::Curve;
    int64_t cx = ex(c.x), cy = ey(c.y), nx = ex(p.x), ny = ey(p.y);
    r.cdx = static_cast<int32_t>(cx - x);
    r.cdy = static_cast<int32_t>(cy - y);
    r.dx = static_cast<int32_t>(nx - cx);
    r.dy = static_cast<int32_t>(ny - cy);
    x = nx;
    y = ny;
    last = p;
    if (r.cdx != 0 || r.cdy != 0 || r.dx != 0 || r.dy != 0) body->records.push_back(r);
  }
};

PointD fromVector(const FT_Vector* v) { return PointD{static_cast<double>(v->x), static_cast<double>(v->y)}; }

int onMove(const FT_Vector* to, void* user) {
  static_cast<OutlineSink*>(user)->move(fromVector(to));
  return 0;
}
int onLine(const FT_Vector* to, void* user) {
  static_cast<OutlineSink*>(user)->line(fromVector(to));
  return 0;
}
int onConic(const FT_Vector* control, const FT_Vector* to, void* user) {
  static_cast<OutlineSink*>(user)->conic(fromVector(control), fromVector(to));
  return 0;
}
int onCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  OutlineSink* sink = static_cast<OutlineSink*>(user);
  std::vector<PointD> q = cubicToQuadratics(sink->last, fromVector(c1), fromVector(c2), fromVector(to));
  for (size_t i = 0; i + 1 < q.size(); i += 2) sink->conic(q[i], q[i + 1]);
  return 0;
}

std::string describeCode(uint32_t code) {
  char buffer[32];
  if (code >= 0x20 && code < 0x7F) {
    std::snprintf(buffer, sizeof buffer, "'%c' (U+%04X)", static_cast<char>(code), code);
  } else {
    std::snprintf(buffer, sizeof buffer, "U+%04X", code);
  }
  return buffer;
}

struct Library {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ~Library() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
};

}  // namespace

bool fontImportAvailable() { return true; }

ImportedFont importFont(const std::string& path, const std::vector<uint32_t>& codes) {
  Library ft;
  if (FT_Init_FreeType(&ft.lib) != 0) throw FontImportError("cannot start FreeType");
  if (FT_New_Face(ft.lib, path.c_str(), 0, &ft.face) != 0) {
    throw FontImportError("cannot read font file \"" + path + "\"");
  }
  if (FT_Select_Charmap(ft.face, FT_ENCODING_UNICODE) != 0 || ft.face->units_per_EM == 0) {
    throw FontImportError("font file \"" + path + "\" has no Unicode character map");
  }
  ImportedFont out;
  out.face.name = ft.face->family_name ? ft.face->family_name : "";
  if (out.face.name.size() > 255) out.face.name.resize(255);
  if (ft.face->style_flags & FT_STYLE_FLAG_BOLD) out.face.flags |= FaceBold;
  if (ft.face->style_flags & FT_STYLE_FLAG_ITALIC) out.face.flags |= FaceItalic;
  double scale = static_cast<double>(FontEmUnits) / ft.face->units_per_EM;

  FT_Outline_Funcs funcs{};
  funcs.move_to = onMove;
  funcs.line_to = onLine;
  funcs.conic_to = onConic;
  funcs.cubic_to = onCubic;
  for (uint32_t code : codes) {
    FT_UInt index = FT_Get_Char_Index(ft.face, code);
    if (index == 0) throw FontImportError("font \"" + path + "\" has no glyph for " + describeCode(code));
    if (FT_Load_Glyph(ft.face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0 ||
        ft.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      throw FontImportError("cannot load the outline of " + describeCode(code) + " from \"" + path + "\"");
    }
    ShapeBody glyph;
    glyph.hasStyles = false;
    OutlineSink sink;
    sink.scale = scale;
    sink.body = &glyph;
    if (FT_Outline_Decompose(&ft.face->glyph->outline, &funcs, &sink) != 0) {
      throw FontImportError("cannot walk the outline of " + describeCode(code));
    }
    out.body.glyphs.push_back(std::move(glyph));
    out.advances.push_back(static_cast<int32_t>(std::llround(ft.face->glyph->metrics.horiAdvance * scale)));
    out.face.codes.push_back(static_cast<uint16_t>(code));
    if (code > 0xFF) out.face.flags |= FaceTwoByteCodes;
  }
  return out;
}

#else

bool fontImportAvailable() { return false; }

ImportedFont importFont(const std::string&, const std::vector<uint32_t>&) {
  throw FontImportError("this build of lmrc cannot import fonts (it was built without FreeType); "
                        "import the font with the native lmrc, or write its glyphs out");
}

#endif

}  // namespace lmr::enc
