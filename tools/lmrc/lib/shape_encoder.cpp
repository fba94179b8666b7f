#include "tools/lmrc/lib/shape_encoder.h"

#include <algorithm>

namespace lmr::enc {

int shapeFillBits(const ShapeBody& body) {
  if (body.fillBits >= 0) return body.fillBits;
  uint32_t top = static_cast<uint32_t>(body.fills.size());
  for (const ShapeRecord& r : body.records) {
    if (r.kind != ShapeRecord::Change) continue;
    if (r.flags & StyleFill0) top = std::max(top, r.fill0);
    if (r.flags & StyleFill1) top = std::max(top, r.fill1);
  }
  return unsignedBitsFor(top);
}

int shapeLineBits(const ShapeBody& body) {
  if (body.lineBits >= 0) return body.lineBits;
  uint32_t top = static_cast<uint32_t>(body.lines.size());
  for (const ShapeRecord& r : body.records) {
    if (r.kind == ShapeRecord::Change && (r.flags & StyleLine)) top = std::max(top, r.line);
  }
  return unsignedBitsFor(top);
}

LineForm lineForm(const ShapeRecord& r) {
  if (r.form != LineForm::Auto) return r.form;
  if (r.dx != 0 && r.dy != 0) return LineForm::General;
  if (r.dy != 0) return LineForm::Vertical;
  return LineForm::Horizontal;
}

int edgeBits(const ShapeRecord& r) {
  if (r.bits >= 0) return r.bits;
  int n;
  if (r.kind == ShapeRecord::Curve) {
    n = fieldBitsFor({r.cdx, r.cdy, r.dx, r.dy});
  } else {
    switch (lineForm(r)) {
      case LineForm::Vertical: n = fieldBitsFor({r.dy}); break;
      case LineForm::Horizontal: n = fieldBitsFor({r.dx}); break;
      default: n = fieldBitsFor({r.dx, r.dy}); break;
    }
  }
  return std::max(n, 2);  // the 4-bit field stores width - 2
}

int moveBits(const ShapeRecord& r) {
  return r.moveBits >= 0 ? r.moveBits : fieldBitsFor({r.moveX, r.moveY});
}

static void writeColor(BitWriter& out, const Rgb& c) {
  out.rgb(static_cast<uint32_t>(c.red), static_cast<uint32_t>(c.green), static_cast<uint32_t>(c.blue));
}

void writeFillStyle(BitWriter& out, const FillStyleDef& fill) {
  out.u8(fill.type);
  if (fill.type & FillGradientBit) {
    out.matrix(fill.matrix);
    out.u8(static_cast<uint32_t>(fill.stops.size()));
    for (const GradientStop& s : fill.stops) {
      out.u8(s.ratio);
      writeColor(out, s.color);
    }
  } else if (fill.type & FillBitmapBit) {
    out.u16(fill.bitmapId);
    out.matrix(fill.matrix);
  } else {
    writeColor(out, fill.color);
  }
}

static void writeRecord(BitWriter& out, const ShapeRecord& r, int fillBits, int lineBits) {
  if (r.kind == ShapeRecord::Change) {
    out.bits(0, 1);
    out.bits(r.flags & 0x1F, 5);
    if (r.flags & StyleMove) {
      int n = moveBits(r);
      out.bits(static_cast<uint32_t>(n), 5);
      out.signedBits(r.moveX, n);
      out.signedBits(r.moveY, n);
    }
    if (r.flags & StyleFill0) out.bits(r.fill0, fillBits);
    if (r.flags & StyleFill1) out.bits(r.fill1, fillBits);
    if (r.flags & StyleLine) out.bits(r.line, lineBits);
    return;
  }
  int w = edgeBits(r);
  out.bits(1, 1);
  if (r.kind == ShapeRecord::Curve) {
    out.bits(0, 1);
    out.bits(static_cast<uint32_t>(w - 2), 4);
    out.signedBits(r.cdx, w);
    out.signedBits(r.cdy, w);
    out.signedBits(r.dx, w);
    out.signedBits(r.dy, w);
    return;
  }
  out.bits(1, 1);
  out.bits(static_cast<uint32_t>(w - 2), 4);
  switch (lineForm(r)) {
    case LineForm::Vertical:
      out.bits(0, 1);
      out.bits(1, 1);
      out.signedBits(r.dy, w);
      break;
    case LineForm::Horizontal:
      out.bits(0, 1);
      out.bits(0, 1);
      out.signedBits(r.dx, w);
      break;
    default:
      out.bits(1, 1);
      out.signedBits(r.dx, w);
      out.signedBits(r.dy, w);
      break;
  }
}

void writeShapeBody(BitWriter& out, const ShapeBody& body) {
  if (body.hasStyles) {
    out.u8(static_cast<uint32_t>(body.fills.size()));
    for (const FillStyleDef& f : body.fills) writeFillStyle(out, f);
    out.u8(static_cast<uint32_t>(body.lines.size()));
    for (const LineStyleDef& l : body.lines) {
      out.u16(l.width);
      writeColor(out, l.color);
    }
  }
  int fillBits = shapeFillBits(body);
  int lineBits = shapeLineBits(body);
  out.align();
  out.bits(static_cast<uint32_t>(fillBits), 4);
  out.bits(static_cast<uint32_t>(lineBits), 4);
  for (const ShapeRecord& r : body.records) writeRecord(out, r, fillBits, lineBits);
  out.bits(0, 6);  // end record: edge flag 0, flags 0
  out.align();
}

std::vector<uint8_t> encodeShapeBody(const ShapeBody& body) {
  BitWriter out;
  writeShapeBody(out, body);
  return out.bytes;
}

}  // namespace lmr::enc
