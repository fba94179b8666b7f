#include "tools/lmrc/lib/tag_bodies.h"

#include <algorithm>

#include "tools/lmrc/lib/shape_encoder.h"

namespace lmr::enc {

static void writeColor(BitWriter& out, const Rgb& c) {
  out.rgb(static_cast<uint32_t>(c.red), static_cast<uint32_t>(c.green), static_cast<uint32_t>(c.blue));
}

std::vector<uint8_t> placeBody(uint16_t id, uint16_t depth, const CodedMatrix& matrix) {
  BitWriter out;
  out.u16(id);
  out.u16(depth);
  out.matrix(matrix);
  return out.bytes;
}

std::vector<uint8_t> removeBody(uint16_t id, uint16_t depth) {
  BitWriter out;
  out.u16(id);
  out.u16(depth);
  return out.bytes;
}

std::vector<uint8_t> dropBody(uint16_t id) {
  BitWriter out;
  out.u16(id);
  return out.bytes;
}

std::vector<uint8_t> backgroundBody(const Rgb& color) {
  BitWriter out;
  writeColor(out, color);
  return out.bytes;
}

std::vector<uint8_t> shapeBody(uint16_t id, const Rect& bounds, int rectBits, const ShapeBody& body) {
  BitWriter out;
  out.u16(id);
  out.rect(bounds, rectBits);
  writeShapeBody(out, body);
  return out.bytes;
}

void writeActionList(BitWriter& out, const std::vector<Action>& actions) {
  for (const Action& a : actions) {
    out.u8(a.code);
    if (a.code >= ActHasBody) {
      out.u16(static_cast<uint32_t>(a.body.size()));
      out.raw(a.body);
    }
  }
  out.u8(ActEnd);
}

std::vector<uint8_t> actionListBody(const std::vector<Action>& actions) {
  BitWriter out;
  writeActionList(out, actions);
  return out.bytes;
}

std::vector<uint8_t> buttonBody(uint16_t id, const ButtonBody& body) {
  BitWriter out;
  out.u16(id);
  for (const ButtonRecord& r : body.records) {
    out.u8(r.states);
    out.u16(r.id);
    out.u16(r.depth);
    out.matrix(r.matrix);
  }
  out.u8(0);
  writeActionList(out, body.actions);
  return out.bytes;
}

int textGlyphBits(const TextBody& body) {
  if (body.glyphBits >= 0) return body.glyphBits;
  uint32_t top = 0;
  for (const TextRecord& r : body.records) {
    for (const TextGlyph& g : r.glyphs) top = std::max(top, g.index);
  }
  return unsignedBitsFor(top);
}

int textAdvanceBits(const TextBody& body) {
  if (body.advanceBits >= 0) return body.advanceBits;
  int n = 0;
  for (const TextRecord& r : body.records) {
    for (const TextGlyph& g : r.glyphs) n = std::max(n, fieldBitsFor({g.advance}));
  }
  return n;
}

std::vector<uint8_t> textBody(uint16_t id, const Rect& bounds, int rectBits, const TextBody& body) {
  BitWriter out;
  out.u16(id);
  out.rect(bounds, rectBits);
  out.matrix(body.matrix);
  int glyphBits = textGlyphBits(body);
  int advanceBits = textAdvanceBits(body);
  out.u8(static_cast<uint32_t>(glyphBits));
  out.u8(static_cast<uint32_t>(advanceBits));
  for (const TextRecord& r : body.records) {
    out.u8(r.flags);
    if (r.flags & TextFont) out.u16(r.fontId);
    if (r.flags & TextColor) writeColor(out, r.color);
    if (r.flags & TextX) out.s16(r.x);
    if (r.flags & TextY) out.s16(r.y);
    if (r.flags & TextFont) out.u16(r.height);
    out.u8(static_cast<uint32_t>(r.glyphs.size()));
    for (const TextGlyph& g : r.glyphs) {
      out.bits(g.index, std::min(glyphBits, 32));
      out.signedBits(g.advance, std::min(advanceBits, 32));
    }
    out.align();
  }
  out.u8(0);
  return out.bytes;
}

std::vector<uint8_t> fontBody(uint16_t id, const FontBody& font) {
  // Offsets count from the start of the table, which holds one 16-bit
  // entry per glyph; the outlines follow in glyph order.
  std::vector<std::vector<uint8_t>> outlines;
  size_t offset = 2 * font.glyphs.size();
  BitWriter table;
  for (const ShapeBody& g : font.glyphs) {
    outlines.push_back(encodeShapeBody(g));
    table.u16(static_cast<uint32_t>(offset));
    offset += outlines.back().size();
  }
  BitWriter out;
  out.u16(id);
  out.raw(table.bytes);
  for (const std::vector<uint8_t>& o : outlines) out.raw(o);
  return out.bytes;
}

bool fontOffsetsFit(const FontBody& font) {
  size_t offset = 2 * font.glyphs.size();
  for (size_t i = 0; i < font.glyphs.size(); ++i) {
    if (offset > 0xFFFF) return false;
    offset += encodeShapeBody(font.glyphs[i]).size();
  }
  return true;
}

std::vector<uint8_t> fontFaceBody(uint16_t id, const FontFace& face) {
  BitWriter out;
  out.u16(id);
  out.u8(static_cast<uint32_t>(face.name.size()));
  for (char ch : face.name) out.u8(static_cast<uint8_t>(ch));
  out.u8(face.flags);
  for (uint16_t code : face.codes) {
    if (face.flags & FaceTwoByteCodes) {
      // Two-byte codes are stored first byte first: the high byte of the
      // code value, as a lead byte comes first in a two-byte character set.
      out.u8(code >> 8);
      out.u8(code & 0xFF);
    } else {
      out.u8(code & 0xFF);
    }
  }
  return out.bytes;
}

std::vector<uint8_t> jpegImageBody(uint16_t id, const std::vector<uint8_t>& data) {
  BitWriter out;
  out.u16(id);
  out.raw(data);
  return out.bytes;
}

Action jumpToFrameAction(uint16_t frame) {
  Action a;
  a.code = ActJumpToFrame;
  a.body = {static_cast<uint8_t>(frame & 0xFF), static_cast<uint8_t>(frame >> 8)};
  return a;
}

Action openUrlAction(const std::string& url, const std::string& target) {
  Action a;
  a.code = ActOpenUrl;
  a.body.assign(url.begin(), url.end());
  a.body.push_back(0);
  a.body.insert(a.body.end(), target.begin(), target.end());
  a.body.push_back(0);
  return a;
}

}  // namespace lmr::enc
