#include "tools/lmrc/movie_decoder.h"

#include <algorithm>

namespace lmr::lmrc {

namespace {

StreamReader over(const std::vector<uint8_t>& bytes) {
  return StreamReader::over(bytes.data(), 0, static_cast<int32_t>(bytes.size()));
}

// A decode succeeded when it read exactly the whole body.
bool consumedAll(const StreamReader& r, size_t size) { return !r.overrun && r.pos == static_cast<int32_t>(size); }

Rgb readColor(StreamReader& r) { return r.readRgb(); }

}  // namespace

enc::CodedMatrix readCodedMatrix(StreamReader& r) {
  r.alignToByte();
  enc::CodedMatrix out;
  if (r.readBits(1)) {
    int n = static_cast<int>(r.readBits(5));
    out.coding.scaleBits = n;
    out.m.a = r.readSignedBits(n);
    out.m.d = r.readSignedBits(n);
  }
  if (r.readBits(1)) {
    int n = static_cast<int>(r.readBits(5));
    out.coding.rotateBits = n;
    out.m.b = r.readSignedBits(n);
    out.m.c = r.readSignedBits(n);
  }
  int n = static_cast<int>(r.readBits(5));
  out.coding.translateBits = n;
  out.m.tx = r.readSignedBits(n);
  out.m.ty = r.readSignedBits(n);
  r.alignToByte();
  return out;
}

Rect readRectWidth(StreamReader& r, int& bits) {
  r.alignToByte();
  bits = static_cast<int>(r.readBits(5));
  Rect out;
  out.xmin = r.readSignedBits(bits);
  out.xmax = r.readSignedBits(bits);
  out.ymin = r.readSignedBits(bits);
  out.ymax = r.readSignedBits(bits);
  r.alignToByte();
  return out;
}

StoredMovie readStoredMovie(const std::vector<uint8_t>& file) {
  if (file.size() < 3 || file[0] != 'L' || file[1] != 'M' || file[2] != 'V') {
    throw MovieFormatError("not a movie: the file does not start with the signature \"LMV\"");
  }
  if (file.size() < 8) throw MovieFormatError("the file ends early: inside its 8-byte header");
  StoredMovie m;
  m.fileSize = file.size();
  m.header.version = file[3];
  uint32_t declared = static_cast<uint32_t>(file[4]) | static_cast<uint32_t>(file[5]) << 8 |
                      static_cast<uint32_t>(file[6]) << 16 | static_cast<uint32_t>(file[7]) << 24;
  if (declared > file.size()) {
    throw MovieFormatError("the file ends early: its header declares " + std::to_string(declared) + " bytes, it has " +
                           std::to_string(file.size()));
  }
  m.header.declaredLength = declared;
  StreamReader r = over(file);
  r.pos = 8;
  m.header.frame = readRectWidth(r, m.header.rectWidth);
  m.header.rate = r.readU16();
  m.header.frameCount = r.readU16();
  if (r.overrun) throw MovieFormatError("the file ends early: inside the frame rectangle, rate and count");
  const int32_t size = static_cast<int32_t>(file.size());
  while (r.pos < size) {
    int32_t start = r.pos;
    auto early = [&](const std::string& what) {
      if (m.hasEnd) {
        m.trailing.assign(file.begin() + start, file.end());
        return true;
      }
      throw MovieFormatError("the file ends early: " + what + " of the tag at offset " + std::to_string(start));
    };
    if (size - r.pos < 2) {
      if (early("inside the header")) break;
    }
    uint32_t h = r.readU16();
    StoredTag t;
    t.code = h >> 6;
    t.offset = start;
    int64_t length = h & 0x3F;
    if (length == 0x3F) {
      if (size - r.pos < 4) {
        if (early("inside the long header")) break;
      }
      t.longForm = true;
      length = r.readU32();
    }
    if (length > size - r.pos) {
      if (early("inside the body (" + std::to_string(length) + " bytes declared)")) break;
    }
    t.body.assign(file.begin() + r.pos, file.begin() + r.pos + static_cast<int32_t>(length));
    r.pos += static_cast<int32_t>(length);
    if (t.code == enc::TagEnd) m.hasEnd = true;
    m.tags.push_back(std::move(t));
  }
  return m;
}

namespace {

bool decodeShapeBody(StreamReader& r, bool hasStyles, enc::ShapeBody& out) {
  out.hasStyles = hasStyles;
  if (hasStyles) {
    uint32_t fills = r.readU8();
    for (uint32_t i = 0; i < fills && !r.overrun; ++i) {
      enc::FillStyleDef f;
      f.type = static_cast<uint8_t>(r.readU8());
      if (f.type & enc::FillGradientBit) {
        f.matrix = readCodedMatrix(r);
        uint32_t stops = r.readU8();
        for (uint32_t k = 0; k < stops && !r.overrun; ++k) {
          enc::GradientStop s;
          s.ratio = static_cast<uint8_t>(r.readU8());
          s.color = readColor(r);
          f.stops.push_back(s);
        }
      } else if (f.type & enc::FillBitmapBit) {
        f.bitmapId = static_cast<uint16_t>(r.readU16());
        f.matrix = readCodedMatrix(r);
      } else {
        f.color = readColor(r);
      }
      out.fills.push_back(f);
    }
    uint32_t lines = r.readU8();
    for (uint32_t i = 0; i < lines && !r.overrun; ++i) {
      enc::LineStyleDef l;
      l.width = static_cast<uint16_t>(r.readU16());
      l.color = readColor(r);
      out.lines.push_back(l);
    }
  }
  r.alignToByte();
  out.fillBits = static_cast<int>(r.readBits(4));
  out.lineBits = static_cast<int>(r.readBits(4));
  // Every record takes at least 6 bits, so the walk ends at the body's end.
  while (!r.overrun) {
    enc::ShapeRecord s;
    if (r.readBits(1)) {
      bool straight = r.readBits(1) != 0;
      int w = static_cast<int>(r.readBits(4)) + 2;
      s.bits = w;
      if (straight) {
        s.kind = enc::ShapeRecord::Line;
        if (r.readBits(1)) {
          s.form = enc::LineForm::General;
          s.dx = r.readSignedBits(w);
          s.dy = r.readSignedBits(w);
        } else if (r.readBits(1)) {
          s.form = enc::LineForm::Vertical;
          s.dy = r.readSignedBits(w);
        } else {
          s.form = enc::LineForm::Horizontal;
          s.dx = r.readSignedBits(w);
        }
      } else {
        s.kind = enc::ShapeRecord::Curve;
        s.cdx = r.readSignedBits(w);
        s.cdy = r.readSignedBits(w);
        s.dx = r.readSignedBits(w);
        s.dy = r.readSignedBits(w);
      }
    } else {
      s.kind = enc::ShapeRecord::Change;
      s.flags = static_cast<uint8_t>(r.readBits(5));
      if (s.flags == 0) {
        r.alignToByte();
        return !r.overrun;
      }
      if (s.flags & enc::StyleMove) {
        int n = static_cast<int>(r.readBits(5));
        s.moveBits = n;
        s.moveX = r.readSignedBits(n);
        s.moveY = r.readSignedBits(n);
      }
      if (s.flags & enc::StyleFill0) s.fill0 = r.readBits(out.fillBits);
      if (s.flags & enc::StyleFill1) s.fill1 = r.readBits(out.fillBits);
      if (s.flags & enc::StyleLine) s.line = r.readBits(out.lineBits);
    }
    out.records.push_back(s);
  }
  return false;
}

}  // namespace

bool decodeShapeTag(const std::vector<uint8_t>& body, uint16_t& id, Rect& bounds, int& rectBits, enc::ShapeBody& out) {
  StreamReader r = over(body);
  id = static_cast<uint16_t>(r.readU16());
  bounds = readRectWidth(r, rectBits);
  return decodeShapeBody(r, true, out) && consumedAll(r, body.size());
}

bool decodeTextTag(const std::vector<uint8_t>& body, uint16_t& id, Rect& bounds, int& rectBits, enc::TextBody& out) {
  StreamReader r = over(body);
  id = static_cast<uint16_t>(r.readU16());
  bounds = readRectWidth(r, rectBits);
  out.matrix = readCodedMatrix(r);
  out.glyphBits = static_cast<int>(r.readU8());
  out.advanceBits = static_cast<int>(r.readU8());
  if (out.glyphBits > 32 || out.advanceBits > 31) return false;
  // Every record takes at least 2 bytes.
  while (!r.overrun) {
    enc::TextRecord t;
    t.flags = static_cast<uint8_t>(r.readU8());
    if (t.flags == 0) return consumedAll(r, body.size());
    if (t.flags & enc::TextFont) t.fontId = static_cast<uint16_t>(r.readU16());
    if (t.flags & enc::TextColor) t.color = readColor(r);
    if (t.flags & enc::TextX) t.x = static_cast<int16_t>(r.readS16());
    if (t.flags & enc::TextY) t.y = static_cast<int16_t>(r.readS16());
    if (t.flags & enc::TextFont) t.height = static_cast<uint16_t>(r.readU16());
    uint32_t count = r.readU8();
    r.alignToByte();
    for (uint32_t i = 0; i < count && !r.overrun; ++i) {
      enc::TextGlyph g;
      g.index = r.readBits(out.glyphBits);
      g.advance = r.readSignedBits(out.advanceBits);
      t.glyphs.push_back(g);
    }
    r.alignToByte();
    out.records.push_back(std::move(t));
  }
  return false;
}

static bool readActions(StreamReader& r, std::vector<enc::Action>& out) {
  while (!r.overrun) {
    enc::Action a;
    a.code = static_cast<uint8_t>(r.readU8());
    if (r.overrun) return false;
    if (a.code == enc::ActEnd) return true;
    if (a.code >= enc::ActHasBody) {
      int32_t length = static_cast<int32_t>(r.readU16());
      if (r.overrun || length > r.remaining()) return false;
      a.body.assign(r.data + r.pos, r.data + r.pos + length);
      r.pos += length;
    }
    out.push_back(std::move(a));
  }
  return false;
}

bool decodeActionList(const std::vector<uint8_t>& body, std::vector<enc::Action>& out) {
  StreamReader r = over(body);
  return readActions(r, out) && consumedAll(r, body.size());
}

bool decodeButtonTag(const std::vector<uint8_t>& body, uint16_t& id, enc::ButtonBody& out) {
  StreamReader r = over(body);
  id = static_cast<uint16_t>(r.readU16());
  while (!r.overrun) {
    enc::ButtonRecord b;
    b.states = static_cast<uint8_t>(r.readU8());
    if (b.states == 0) break;
    b.id = static_cast<uint16_t>(r.readU16());
    b.depth = static_cast<uint16_t>(r.readU16());
    b.matrix = readCodedMatrix(r);
    out.records.push_back(b);
  }
  return !r.overrun && readActions(r, out.actions) && consumedAll(r, body.size());
}

bool decodeFontTag(const std::vector<uint8_t>& body, uint16_t& id, enc::FontBody& out) {
  if (body.size() < 2) return false;
  id = static_cast<uint16_t>(body[0] | body[1] << 8);
  const int32_t base = 2, size = static_cast<int32_t>(body.size()) - base;
  if (size == 0) return true;
  StreamReader r = StreamReader::over(body.data(), base, static_cast<int32_t>(body.size()));
  int32_t first = static_cast<int32_t>(r.readU16());
  if (r.overrun || first < 2 || first % 2 != 0 || first > size) return false;
  std::vector<int32_t> offsets{first};
  for (int32_t i = 1; i < first / 2; ++i) offsets.push_back(static_cast<int32_t>(r.readU16()));
  if (r.overrun) return false;
  for (size_t i = 0; i < offsets.size(); ++i) {
    int32_t start = offsets[i];
    int32_t stop = i + 1 < offsets.size() ? offsets[i + 1] : size;
    if (start < first || stop < start || stop > size) return false;
    StreamReader g = StreamReader::over(body.data(), base + start, base + stop);
    enc::ShapeBody glyph;
    if (!decodeShapeBody(g, false, glyph) || g.pos != base + stop) return false;
    out.glyphs.push_back(std::move(glyph));
  }
  return true;
}

bool decodeFontFaceTag(const std::vector<uint8_t>& body, uint16_t& id, enc::FontFace& out) {
  StreamReader r = over(body);
  id = static_cast<uint16_t>(r.readU16());
  int32_t length = static_cast<int32_t>(r.readU8());
  if (r.overrun || length > r.remaining()) return false;
  out.name.assign(reinterpret_cast<const char*>(body.data()) + r.pos, static_cast<size_t>(length));
  r.pos += length;
  out.flags = static_cast<uint8_t>(r.readU8());
  if (r.overrun) return false;
  int width = out.flags & enc::FaceTwoByteCodes ? 2 : 1;
  if (r.remaining() % width != 0) return false;
  while (r.remaining() > 0) {
    uint32_t code = r.readU8();
    if (width == 2) code = code << 8 | r.readU8();
    out.codes.push_back(static_cast<uint16_t>(code));
  }
  return consumedAll(r, body.size());
}

bool decodePlaceTag(const std::vector<uint8_t>& body, uint16_t& id, uint16_t& depth, enc::CodedMatrix& out) {
  StreamReader r = over(body);
  id = static_cast<uint16_t>(r.readU16());
  depth = static_cast<uint16_t>(r.readU16());
  out = readCodedMatrix(r);
  return consumedAll(r, body.size());
}

}  // namespace lmr::lmrc
