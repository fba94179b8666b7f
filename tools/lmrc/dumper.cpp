#include "tools/lmrc/dumper.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "tools/lmrc/lib/shape_encoder.h"
#include "tools/lmrc/lib/tag_bodies.h"
#include "tools/lmrc/movie_decoder.h"
#include "tools/lmrc/source_compiler.h"
#include "tools/lmrc/source_values.h"

namespace lmr::lmrc {

namespace {

std::string hexByte(uint32_t v) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02x", v & 0xFF);
  return buffer;
}

std::string num(int64_t v) { return std::to_string(v); }

std::string rectText(const Rect& r) { return num(r.xmin) + " " + num(r.xmax) + " " + num(r.ymin) + " " + num(r.ymax); }

// Matrix options, with a leading space, or "" for the identity.
std::string matrixText(const enc::CodedMatrix& cm) {
  const Matrix& m = cm.m;
  std::string out;
  if (m.b == 0 && m.c == 0) {
    if (m.tx != 0 || m.ty != 0) out += " translate " + num(m.tx) + " " + num(m.ty);
    if (m.a != FixedOne || m.d != FixedOne) {
      out += " scale " + fixedText(m.a);
      if (m.d != m.a) out += " " + fixedText(m.d);
    }
  } else {
    out += " matrix " + fixedText(m.a) + " " + fixedText(m.b) + " " + fixedText(m.c) + " " + fixedText(m.d) + " " +
           num(m.tx) + " " + num(m.ty);
  }
  enc::MatrixLayout stored = enc::matrixLayout(m, cm.coding);
  enc::MatrixLayout automatic = enc::matrixLayout(m, enc::MatrixCoding{});
  if (stored.scale && (!automatic.scale || stored.scaleBits != automatic.scaleBits)) {
    out += " scalebits " + num(stored.scaleBits);
  }
  if (stored.rotate && (!automatic.rotate || stored.rotateBits != automatic.rotateBits)) {
    out += " rotatebits " + num(stored.rotateBits);
  }
  if (stored.translateBits != automatic.translateBits) out += " translatebits " + num(stored.translateBits);
  return out;
}

std::string boundsText(const Rect& r, int bits) {
  std::string out = " bounds " + rectText(r);
  if (bits != enc::fieldBitsFor({r.xmin, r.xmax, r.ymin, r.ymax})) out += " boundsbits " + num(bits);
  return out;
}

std::string fillText(const enc::FillStyleDef& f) {
  std::string out = "fill ";
  uint8_t t = f.type;
  if (t & enc::FillGradientBit) {
    if (t == enc::FillTypeLinear) {
      out += "linear";
    } else if (t == enc::FillTypeRadial) {
      out += "radial";
    } else {
      out += "gradient " + hexByte(t);
    }
    out += matrixText(f.matrix) + " stops";
    for (const enc::GradientStop& s : f.stops) out += " " + num(s.ratio) + " " + colorText(s.color);
  } else if (t & enc::FillBitmapBit) {
    out += "bitmap " + num(f.bitmapId) + matrixText(f.matrix);
    if (t != enc::FillTypeBitmap) out += " type " + hexByte(t);
  } else {
    out += "solid " + colorText(f.color);
    if (t != enc::FillTypeSolid) out += " type " + hexByte(t);
  }
  return out;
}

void shapeRecordsText(const enc::ShapeBody& body, const std::string& indent, std::string& out) {
  enc::ShapeBody widths = body;
  widths.fillBits = widths.lineBits = -1;
  if (body.fillBits != enc::shapeFillBits(widths)) out += indent + "fillbits " + num(body.fillBits) + "\n";
  if (body.lineBits != enc::shapeLineBits(widths)) out += indent + "linebits " + num(body.lineBits) + "\n";
  int64_t x = 0, y = 0;
  for (const enc::ShapeRecord& r : body.records) {
    if (r.kind == enc::ShapeRecord::Change) {
      std::string line = indent;
      if (r.flags & enc::StyleMove) {
        x = r.moveX;
        y = r.moveY;
        line += "moveto " + num(x) + " " + num(y);
      } else {
        line += "style";
      }
      if (r.flags & enc::StyleFill0) line += " fill0 " + num(r.fill0);
      if (r.flags & enc::StyleFill1) line += " fill1 " + num(r.fill1);
      if (r.flags & enc::StyleLine) line += " line " + num(r.line);
      if (r.flags & enc::StyleSpare) line += " spare";
      if ((r.flags & enc::StyleMove) && r.moveBits != enc::fieldBitsFor({r.moveX, r.moveY})) {
        line += " bits " + num(r.moveBits);
      }
      out += line + "\n";
      continue;
    }
    enc::ShapeRecord automatic = r;
    automatic.bits = -1;
    automatic.form = enc::LineForm::Auto;
    std::string line = indent;
    if (r.kind == enc::ShapeRecord::Curve) {
      int64_t cx = x + r.cdx, cy = y + r.cdy;
      x = cx + r.dx;
      y = cy + r.dy;
      line += "curveto " + num(cx) + " " + num(cy) + " " + num(x) + " " + num(y);
    } else {
      x += r.dx;
      y += r.dy;
      line += "lineto " + num(x) + " " + num(y);
      enc::LineForm form = enc::lineForm(r);
      if (form != enc::lineForm(automatic)) {
        line += form == enc::LineForm::General ? " general" : form == enc::LineForm::Vertical ? " vertical" : " horizontal";
      }
      automatic.form = form;
    }
    if (enc::edgeBits(r) != enc::edgeBits(automatic)) line += " bits " + num(enc::edgeBits(r));
    out += line + "\n";
  }
}

std::string statesText(uint8_t states) {
  if (states & 0xF0) return hexByte(states);
  std::string out;
  const char* names[] = {"idle", "hover", "pressed", "hit"};
  for (int i = 0; i < 4; ++i) {
    if (states & (1 << i)) out += (out.empty() ? "" : "+") + std::string(names[i]);
  }
  return out;
}

std::string actionText(const enc::Action& a) {
  switch (a.code) {
    case enc::ActStepForward: return "next";
    case enc::ActStepBack: return "prev";
    case enc::ActStartPlaying: return "play";
    case enc::ActStopPlaying: return "stop";
    case enc::ActFlipQuality: return "quality";
    case enc::ActJumpToFrame:
      if (a.body.size() == 2) return "goto " + num(a.body[0] | a.body[1] << 8);
      break;
    case enc::ActOpenUrl: {
      // Exactly two zero-terminated strings.
      auto first = std::find(a.body.begin(), a.body.end(), 0);
      if (first == a.body.end()) break;
      auto second = std::find(first + 1, a.body.end(), 0);
      if (second == a.body.end() || second + 1 != a.body.end()) break;
      return "url " + quoted(std::string(a.body.begin(), first)) + " " + quoted(std::string(first + 1, second));
    }
    default: break;
  }
  std::string out = "action " + hexByte(a.code);
  if (a.code >= enc::ActHasBody) out += " " + dataText(a.body, "  ");
  return out;
}

std::string faceFlagsText(uint8_t flags) {
  std::string out;
  uint8_t rest = flags;
  if (flags & enc::FaceBold) out += " bold";
  if (flags & enc::FaceItalic) out += " italic";
  if (flags & enc::FaceTwoByteCodes) out += " wide";
  rest &= static_cast<uint8_t>(~(enc::FaceBold | enc::FaceItalic | enc::FaceTwoByteCodes));
  if ((flags & enc::FaceSystemMask) == enc::FaceSystem) {
    out += " system";
    rest &= static_cast<uint8_t>(~enc::FaceSystem);
  }
  if (rest != 0) out += " flags " + hexByte(rest);
  return out;
}

class Dumper {
 public:
  std::string run(const std::vector<uint8_t>& file) {
    StoredMovie movie = readStoredMovie(file);
    // The header has no raw form: a frame rectangle with padding bits set
    // would be printed as one that compiles to other bytes, so it is refused.
    enc::BitWriter frame;
    frame.rect(movie.header.frame, movie.header.rectWidth);
    if (!std::equal(frame.bytes.begin(), frame.bytes.end(), file.begin() + 8)) {
      throw MovieFormatError("the frame rectangle has padding bits set: the header cannot be dumped exactly");
    }
    std::string out = "# movie of " + num(static_cast<int64_t>(file.size())) + " bytes\n";
    out += headerText(movie) + "\n";
    for (const StoredTag& t : movie.tags) {
      std::vector<uint8_t> stored;
      enc::BitWriter w;
      enc::writeTag(w, t.code, t.body, t.longForm);
      std::string text = tagText(t);
      if (text.empty() || !compilesTo(text, w.bytes)) {
        text = rawText(t);
        compilesTo(text, w.bytes);
      }
      out += text;
    }
    if (!movie.trailing.empty()) out += "bytes " + dataText(movie.trailing, "") + "\n";
    return out;
  }

 private:
  std::string headerText(const StoredMovie& m) {
    const enc::MovieHeader& h = m.header;
    std::string out = "movie version " + num(h.version) + " rect " + rectText(h.frame);
    if (h.rectWidth != enc::fieldBitsFor({h.frame.xmin, h.frame.xmax, h.frame.ymin, h.frame.ymax})) {
      out += " rectbits " + num(h.rectWidth);
    }
    out += " rate " + rateText(h.rate);
    uint32_t frames = 0;
    for (const StoredTag& t : m.tags) frames += t.code == enc::TagFrame ? 1 : 0;
    if (frames != h.frameCount) out += " frames " + num(h.frameCount);
    if (h.declaredLength != static_cast<int64_t>(m.fileSize)) out += " length " + num(h.declaredLength);
    if (!m.hasEnd) out += " noend";
    return out;
  }

  // Compiles `text` in the state of the tags so far; on success the state
  // moves on.
  bool compilesTo(const std::string& text, const std::vector<uint8_t>& bytes) {
    try {
      std::vector<Statement> statements = parseStatements(text);
      MovieCompiler trial = compiler_;
      std::vector<uint8_t> got;
      for (size_t i = 0; i < statements.size(); ++i) {
        std::vector<uint8_t> part = trial.compile(statements[i], nullptr, 0);
        got.insert(got.end(), part.begin(), part.end());
      }
      if (got != bytes) return false;
      trial.clearTagStream();
      compiler_ = trial;
      return true;
    } catch (const SourceError&) {
      return false;
    }
  }

  std::string formText(const StoredTag& t, bool longByDefault) {
    bool automaticLong = longByDefault || t.body.size() >= 0x3F;
    if (t.longForm == automaticLong) return "";
    return t.longForm ? " long" : " short";
  }

  std::string rawText(const StoredTag& t) {
    static const char* const names[] = {"end", "frame", "shape", "drop", "place", "remove", "JPEG image",
                                        "button", "JPEG tables", "background", "font", "text", "actions",
                                        "font details"};
    std::string note;
    if (t.code < sizeof names / sizeof names[0]) {
      note = std::string("# a ") + names[t.code] + " tag whose body does not decode exactly: kept as bytes\n";
    }
    return note + "tag " + num(t.code) + formText(t, false) + (t.body.empty() ? "" : " " + dataText(t.body, "")) + "\n";
  }

  std::string tagText(const StoredTag& t) {
    const std::vector<uint8_t>& b = t.body;
    std::string form = formText(t, t.code == enc::TagJpegImage);
    switch (t.code) {
      case enc::TagEnd:
        return b.empty() ? "end" + form + "\n" : "";
      case enc::TagFrame:
        return b.empty() ? "frame" + form + "\n" : "";
      case enc::TagBackground:
        if (b.size() != 3) return "";
        return "background " + colorText(Rgb{b[0], b[1], b[2]}) + form + "\n";
      case enc::TagDropCharacter:
        if (b.size() != 2) return "";
        return "drop " + num(b[0] | b[1] << 8) + form + "\n";
      case enc::TagRemove:
        if (b.size() != 4) return "";
        return "remove " + num(b[0] | b[1] << 8) + " " + num(b[2] | b[3] << 8) + form + "\n";
      case enc::TagPlace: {
        uint16_t id, depth;
        enc::CodedMatrix m;
        if (!decodePlaceTag(b, id, depth, m)) return "";
        return "place " + num(id) + " " + num(depth) + matrixText(m) + form + "\n";
      }
      case enc::TagShape: {
        uint16_t id;
        Rect bounds;
        int bits;
        enc::ShapeBody body;
        if (!decodeShapeTag(b, id, bounds, bits, body)) return "";
        std::string out = "shape " + num(id) + boundsText(bounds, bits) + form + " {\n";
        for (const enc::FillStyleDef& f : body.fills) out += "  " + fillText(f) + "\n";
        for (const enc::LineStyleDef& l : body.lines) out += "  line " + num(l.width) + " " + colorText(l.color) + "\n";
        shapeRecordsText(body, "  ", out);
        return out + "}\n";
      }
      case enc::TagButton: {
        uint16_t id;
        enc::ButtonBody body;
        if (!decodeButtonTag(b, id, body)) return "";
        std::string out = "button " + num(id) + form + " {\n";
        for (const enc::ButtonRecord& r : body.records) {
          out += "  state " + statesText(r.states) + " " + num(r.id) + " " + num(r.depth) + matrixText(r.matrix) + "\n";
        }
        for (const enc::Action& a : body.actions) out += "  " + actionText(a) + "\n";
        return out + "}\n";
      }
      case enc::TagActions: {
        std::vector<enc::Action> list;
        if (!decodeActionList(b, list)) return "";
        std::string out = "actions" + form + " {\n";
        for (const enc::Action& a : list) out += "  " + actionText(a) + "\n";
        return out + "}\n";
      }
      case enc::TagFont: {
        uint16_t id;
        enc::FontBody font;
        if (!decodeFontTag(b, id, font)) return "";
        std::string out = "font " + num(id) + form + " {\n";
        for (const enc::ShapeBody& g : font.glyphs) {
          out += "  glyph {\n";
          shapeRecordsText(g, "    ", out);
          out += "  }\n";
        }
        fontGlyphCounts_[id] = font.glyphs.size();
        codes_.erase(id);
        return out + "}\n";
      }
      case enc::TagFontFace: {
        uint16_t id;
        enc::FontFace face;
        if (!decodeFontFaceTag(b, id, face)) return "";
        std::vector<uint32_t> codes(face.codes.begin(), face.codes.end());
        codes_[id] = codes;
        return "fontface " + num(id) + " " + quoted(face.name) + faceFlagsText(face.flags) + " codes " +
               quotedCodes(codes) + form + "\n";
      }
      case enc::TagText:
        return textText(b, form);
      case enc::TagJpegSetup:
        return "jpegtables" + form + (b.empty() ? "" : " " + dataText(b, "")) + "\n";
      case enc::TagJpegImage: {
        if (b.size() < 2) return "";
        std::vector<uint8_t> data(b.begin() + 2, b.end());
        return "jpegimage " + num(b[0] | b[1] << 8) + form + (data.empty() ? "" : " " + dataText(data, "")) + "\n";
      }
      default:
        return "";
    }
  }

  std::string textText(const std::vector<uint8_t>& b, const std::string& form) {
    uint16_t id;
    Rect bounds;
    int bits;
    enc::TextBody body;
    if (!decodeTextTag(b, id, bounds, bits, body)) return "";
    std::string out = "text " + num(id) + boundsText(bounds, bits) + matrixText(body.matrix);
    enc::TextBody automatic = body;
    automatic.glyphBits = automatic.advanceBits = -1;
    if (body.glyphBits != enc::textGlyphBits(automatic)) out += " glyphbits " + num(body.glyphBits);
    if (body.advanceBits != enc::textAdvanceBits(automatic)) out += " advancebits " + num(body.advanceBits);
    out += form + " {\n";
    int64_t font = -1;
    for (const enc::TextRecord& r : body.records) {
      std::string line = " ";
      if (r.flags & enc::TextFont) {
        font = r.fontId;
        line += " font " + num(r.fontId) + " height " + num(r.height);
      }
      if (r.flags & enc::TextColor) line += " color " + colorText(r.color);
      if (r.flags & enc::TextX) line += " x " + num(r.x);
      if (r.flags & enc::TextY) line += " y " + num(r.y);
      if (r.flags & 0xF0) line += " spare " + hexByte(r.flags & 0xF0);
      if (!r.glyphs.empty()) {
        std::vector<uint32_t> chars;
        auto known = codes_.find(static_cast<uint32_t>(font));
        bool asString = font >= 0 && known != codes_.end();
        for (const enc::TextGlyph& g : r.glyphs) {
          if (!asString) break;
          const std::vector<uint32_t>& codes = known->second;
          // The string form needs a code that leads back to this glyph.
          if (g.index >= codes.size() ||
              static_cast<size_t>(std::find(codes.begin(), codes.end(), codes[g.index]) - codes.begin()) != g.index) {
            asString = false;
            break;
          }
          chars.push_back(codes[g.index]);
        }
        if (asString) {
          line += " " + quotedCodes(chars);
        } else {
          line += " glyphs";
          for (const enc::TextGlyph& g : r.glyphs) line += " " + num(g.index);
        }
        line += " advances";
        for (const enc::TextGlyph& g : r.glyphs) line += " " + num(g.advance);
      }
      out += line + "\n";
    }
    return out + "}\n";
  }

  MovieCompiler compiler_;
  std::map<uint32_t, std::vector<uint32_t>> codes_;
  std::map<uint32_t, size_t> fontGlyphCounts_;
};

}  // namespace

std::string dumpMovie(const std::vector<uint8_t>& file) {
  Dumper d;
  return d.run(file);
}

}  // namespace lmr::lmrc
