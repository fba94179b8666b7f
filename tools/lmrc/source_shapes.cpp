#include "tools/lmrc/source_shapes.h"

#include <algorithm>

#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/shape_encoder.h"
#include "tools/lmrc/source_values.h"

namespace lmr::lmrc {

using enc::ShapeRecord;

// Edge deltas are at most 17 bits (a 4-bit width field holding width - 2);
// moves hold up to 31 bits.
constexpr int MaxEdgeBits = 17;
constexpr int64_t MoveLimit = (int64_t{1} << 30) - 1;
constexpr int64_t IndexLimit = (1 << 15) - 1;  // a 4-bit index width

bool rectIsEmpty(const Rect& r) { return r.xmin == RectEmptyValue; }

void growRect(Rect& r, int64_t x, int64_t y) {
  int32_t px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
  if (rectIsEmpty(r)) {
    r = Rect{px, px, py, py};
    return;
  }
  r.xmin = std::min(r.xmin, px);
  r.xmax = std::max(r.xmax, px);
  r.ymin = std::min(r.ymin, py);
  r.ymax = std::max(r.ymax, py);
}

Rect shapePointBounds(const enc::ShapeBody& body) {
  Rect r;
  int64_t x = 0, y = 0;
  for (const ShapeRecord& s : body.records) {
    if (s.kind == ShapeRecord::Change) {
      if (s.flags & enc::StyleMove) {
        x = s.moveX;
        y = s.moveY;
      }
      continue;
    }
    growRect(r, x, y);
    if (s.kind == ShapeRecord::Curve) {
      x += s.cdx;
      y += s.cdy;
      growRect(r, x, y);
    }
    x += s.dx;
    y += s.dy;
    growRect(r, x, y);
  }
  return r;
}

namespace {

enc::FillStyleDef compileFill(Args& a) {
  enc::FillStyleDef f;
  std::string kind = a.word("fill style (solid, linear, radial, gradient, bitmap)");
  bool matrixAllowed = false;
  if (kind == "solid") {
    f.type = enc::FillTypeSolid;
    f.color = a.color("fill colour");
  } else if (kind == "linear" || kind == "radial" || kind == "gradient") {
    f.type = kind == "linear" ? enc::FillTypeLinear : kind == "radial" ? enc::FillTypeRadial : 0;
    if (kind == "gradient") {
      f.type = static_cast<uint8_t>(a.integer("gradient type byte", 0, 255));
      if (!(f.type & enc::FillGradientBit)) a.fail("a gradient type byte has bit 0x10 set");
    }
    matrixAllowed = true;
  } else if (kind == "bitmap") {
    f.type = enc::FillTypeBitmap;
    f.bitmapId = static_cast<uint16_t>(a.integer("bitmap id", 0, 65535));
    matrixAllowed = true;
  } else {
    a.fail("unknown fill style \"" + kind + "\"");
  }
  MatrixSpec matrixWords;
  bool haveStops = false;
  while (!a.done()) {
    if (matrixAllowed && takeMatrixOption(a, matrixWords)) continue;
    if (a.takeWord("type")) {
      // The same kind with another type byte (spare bits set).
      uint8_t t = static_cast<uint8_t>(a.integer("fill type byte", 0, 255));
      bool sameKind = (t & enc::FillGradientBit) == (f.type & enc::FillGradientBit) &&
                      ((t & enc::FillGradientBit) || (t & enc::FillBitmapBit) == (f.type & enc::FillBitmapBit));
      if (!sameKind) a.fail("type byte does not match the fill style " + kind);
      f.type = t;
    } else if ((f.type & enc::FillGradientBit) && a.takeWord("stops")) {
      haveStops = true;
      while (a.peekKind(Token::Number)) {
        enc::GradientStop s;
        s.ratio = static_cast<uint8_t>(a.integer("stop ratio", 0, 255));
        s.color = a.color("stop colour");
        f.stops.push_back(s);
      }
      if (f.stops.size() > 255) a.fail("a gradient holds at most 255 stops");
    } else {
      a.unknown("fill option");
    }
  }
  if ((f.type & enc::FillGradientBit) && !haveStops) a.fail("a gradient needs stops RATIO #colour ...");
  if (matrixAllowed) f.matrix = resolveMatrix(matrixWords, a.line());
  return f;
}

class PathBuilder {
 public:
  PathBuilder(enc::ShapeBody& body, Rect& bounds) : body_(body), bounds_(bounds) {}

  void change(Args& a, bool move) {
    ShapeRecord r;
    r.kind = ShapeRecord::Change;
    if (move) readMove(a, r);
    while (!a.done()) {
      if (!move && a.takeWord("moveto")) {
        readMove(a, r);
      } else if (a.takeWord("fill0")) {
        r.flags |= enc::StyleFill0;
        r.fill0 = static_cast<uint32_t>(a.integer("fill0 index", 0, IndexLimit));
      } else if (a.takeWord("fill1")) {
        r.flags |= enc::StyleFill1;
        r.fill1 = static_cast<uint32_t>(a.integer("fill1 index", 0, IndexLimit));
      } else if (a.takeWord("line")) {
        r.flags |= enc::StyleLine;
        r.line = static_cast<uint32_t>(a.integer("line index", 0, IndexLimit));
      } else if (a.takeWord("spare")) {
        r.flags |= enc::StyleSpare;
      } else if (a.takeWord("bits")) {
        r.moveBits = static_cast<int>(a.integer("move bits", 0, 31));
      } else {
        a.unknown("style option");
      }
    }
    if (r.flags == 0) a.fail("a style change sets at least one of moveto, fill0, fill1, line, spare");
    if (r.moveBits >= 0 && !(r.flags & enc::StyleMove)) a.fail("bits of a style change apply to its moveto");
    if (r.moveBits >= 0 && enc::fieldBitsFor({r.moveX, r.moveY}) > r.moveBits) {
      a.fail("bits " + std::to_string(r.moveBits) + " too narrow for the move");
    }
    body_.records.push_back(r);
  }

  void edge(Args& a, bool curve) {
    ShapeRecord r;
    r.kind = curve ? ShapeRecord::Curve : ShapeRecord::Line;
    growRect(bounds_, x_, y_);
    if (curve) {
      int64_t cx = a.units("control x", -MoveLimit, MoveLimit), cy = a.units("control y", -MoveLimit, MoveLimit);
      r.cdx = delta(a, cx - x_);
      r.cdy = delta(a, cy - y_);
      x_ = cx;
      y_ = cy;
      growRect(bounds_, x_, y_);
    }
    int64_t x = a.units("x", -MoveLimit, MoveLimit), y = a.units("y", -MoveLimit, MoveLimit);
    r.dx = delta(a, x - x_);
    r.dy = delta(a, y - y_);
    x_ = x;
    y_ = y;
    growRect(bounds_, x_, y_);
    edgeOptions(a, r);
    body_.records.push_back(r);
  }

  void close(Args& a) {
    ShapeRecord r;
    r.kind = ShapeRecord::Line;
    growRect(bounds_, x_, y_);
    r.dx = delta(a, startX_ - x_);
    r.dy = delta(a, startY_ - y_);
    x_ = startX_;
    y_ = startY_;
    edgeOptions(a, r);
    body_.records.push_back(r);
  }

  bool any() const { return !body_.records.empty(); }

 private:
  void readMove(Args& a, ShapeRecord& r) {
    r.flags |= enc::StyleMove;
    r.moveX = static_cast<int32_t>(a.units("moveto x", -MoveLimit, MoveLimit));
    r.moveY = static_cast<int32_t>(a.units("moveto y", -MoveLimit, MoveLimit));
    x_ = startX_ = r.moveX;
    y_ = startY_ = r.moveY;
  }

  int32_t delta(Args& a, int64_t d) {
    if (enc::fieldBitsFor({static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX))}) > MaxEdgeBits) {
      a.fail("edge too long: a delta of " + std::to_string(d) + " units needs more than 17 bits (at most 65535 per edge)");
    }
    return static_cast<int32_t>(d);
  }

  void edgeOptions(Args& a, ShapeRecord& r) {
    while (!a.done()) {
      if (a.takeWord("bits")) {
        r.bits = static_cast<int>(a.integer("edge bits", 2, MaxEdgeBits));
      } else if (r.kind == ShapeRecord::Line && a.takeWord("general")) {
        r.form = enc::LineForm::General;
      } else if (r.kind == ShapeRecord::Line && a.takeWord("vertical")) {
        r.form = enc::LineForm::Vertical;
      } else if (r.kind == ShapeRecord::Line && a.takeWord("horizontal")) {
        r.form = enc::LineForm::Horizontal;
      } else {
        a.unknown("edge option");
      }
    }
    if (r.form == enc::LineForm::Vertical && r.dx != 0) a.fail("a vertical edge cannot move in x");
    if (r.form == enc::LineForm::Horizontal && r.dy != 0) a.fail("a horizontal edge cannot move in y");
    if (r.bits >= 0) {
      ShapeRecord automatic = r;
      automatic.bits = -1;
      if (enc::edgeBits(automatic) > r.bits) a.fail("bits " + std::to_string(r.bits) + " too narrow for the edge");
    }
  }

  enc::ShapeBody& body_;
  Rect& bounds_;
  int64_t x_ = 0, y_ = 0, startX_ = 0, startY_ = 0;
};

}  // namespace

enc::ShapeBody compileShapeBlock(const std::vector<Statement>& block, bool withStyles, Rect& pointBounds,
                                 int& widestLine) {
  enc::ShapeBody body;
  body.hasStyles = withStyles;
  pointBounds = Rect();
  widestLine = 0;
  PathBuilder path(body, pointBounds);
  for (const Statement& s : block) {
    Args a(s, 1);
    const Token& head = s.tokens[0];
    if (s.hasBlock) throw SourceError(s.line, "no block belongs after " + describe(head));
    std::string k = head.kind == Token::Word ? head.text : "";
    if (withStyles && (k == "fill" || k == "line")) {
      if (path.any()) a.fail("styles come before the path");
      if (k == "fill") {
        body.fills.push_back(compileFill(a));
        if (body.fills.size() > 255) a.fail("a shape holds at most 255 fill styles");
      } else {
        enc::LineStyleDef l;
        l.width = static_cast<uint16_t>(a.units("line width", 0, 65535));
        l.color = a.color("line colour");
        a.expectDone("line style option");
        body.lines.push_back(l);
        if (body.lines.size() > 255) a.fail("a shape holds at most 255 line styles");
        widestLine = std::max<int>(widestLine, l.width);
      }
    } else if (k == "fillbits" || k == "linebits") {
      int v = static_cast<int>(a.integer(k.c_str(), 0, 15));
      (k == "fillbits" ? body.fillBits : body.lineBits) = v;
      a.expectDone("option");
    } else if (k == "moveto") {
      path.change(a, true);
    } else if (k == "style") {
      path.change(a, false);
    } else if (k == "lineto") {
      path.edge(a, false);
    } else if (k == "curveto") {
      path.edge(a, true);
    } else if (k == "close") {
      path.close(a);
    } else {
      throw SourceError(s.line, std::string("unknown ") + (withStyles ? "shape" : "glyph") + " statement " +
                                    (head.kind == Token::Word ? "\"" + head.text + "\"" : describe(head)));
    }
  }
  // Given index widths must hold every index the path uses.
  if (body.fillBits >= 0) {
    for (const ShapeRecord& r : body.records) {
      if (r.kind == ShapeRecord::Change &&
          (((r.flags & enc::StyleFill0) && enc::unsignedBitsFor(r.fill0) > body.fillBits) ||
           ((r.flags & enc::StyleFill1) && enc::unsignedBitsFor(r.fill1) > body.fillBits))) {
        throw SourceError(block.empty() ? 0 : block.front().line, "fillbits too narrow for the fill indices");
      }
    }
  }
  if (body.lineBits >= 0) {
    for (const ShapeRecord& r : body.records) {
      if (r.kind == ShapeRecord::Change && (r.flags & enc::StyleLine) && enc::unsignedBitsFor(r.line) > body.lineBits) {
        throw SourceError(block.empty() ? 0 : block.front().line, "linebits too narrow for the line indices");
      }
    }
  }
  return body;
}

}  // namespace lmr::lmrc
