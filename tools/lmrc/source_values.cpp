#include "tools/lmrc/source_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/lmrc/lib/bit_writer.h"

namespace lmr::lmrc {
namespace {

// A number as written: sign, digits, fraction digits and unit suffix.
struct NumberText {
  bool negative = false;
  bool hex = false;
  std::string whole, fraction, unit;
};

bool splitNumber(const std::string& t, NumberText& n) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) n.negative = t[i++] == '-';
  if (t.compare(i, 2, "0x") == 0 || t.compare(i, 2, "0X") == 0) {
    n.hex = true;
    i += 2;
    while (i < t.size() && std::isxdigit(static_cast<unsigned char>(t[i]))) n.whole += t[i++];
    return !n.whole.empty() && i == t.size();
  }
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) n.whole += t[i++];
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) n.fraction += t[i++];
  }
  n.unit = t.substr(i);
  return !(n.whole.empty() && n.fraction.empty()) && n.whole.size() + n.fraction.size() <= 17;
}

}  // namespace

int Args::lastLine() const { return at_ > 0 && at_ <= s_.tokens.size() ? s_.tokens[at_ - 1].line : s_.line; }

void Args::fail(const std::string& message) const { throw SourceError(lastLine(), message); }

bool Args::takeWord(const char* word) {
  if (!done() && peek().kind == Token::Word && peek().text == word) {
    ++at_;
    return true;
  }
  return false;
}

const Token& Args::next(const char* what) {
  if (done()) throw SourceError(lastLine(), std::string("missing ") + what);
  return s_.tokens[at_++];
}

std::string Args::word(const char* what) {
  const Token& t = next(what);
  if (t.kind != Token::Word) fail(std::string("expected ") + what + ", found " + describe(t));
  return t.text;
}

void Args::unknown(const char* context) {
  const Token& t = next("option");
  fail(std::string("unknown ") + context + " " + (t.kind == Token::Word ? "\"" + t.text + "\"" : describe(t)));
}

void Args::expectDone(const char* context) {
  if (!done()) unknown(context);
}

int64_t Args::integer(const char* what, int64_t lo, int64_t hi) {
  const Token& t = next(what);
  NumberText n;
  if (t.kind != Token::Number || !splitNumber(t.text, n) || !n.fraction.empty() || !n.unit.empty() ||
      t.text.find('.') != std::string::npos) {
    fail(std::string("bad number \"") + t.text + "\" for " + what + " (a whole number)");
  }
  int64_t v = std::strtoll(n.whole.c_str(), nullptr, n.hex ? 16 : 10);
  if (n.negative) v = -v;
  if (v < lo || v > hi) {
    fail(std::string(what) + " " + t.text + " out of range (" + std::to_string(lo) + " to " + std::to_string(hi) + ")");
  }
  return v;
}

int64_t Args::units(const char* what, int64_t lo, int64_t hi) {
  const Token& t = next(what);
  NumberText n;
  if (t.kind != Token::Number || !splitNumber(t.text, n) || n.hex || (n.unit != "" && n.unit != "px")) {
    fail(std::string("bad number \"") + t.text + "\" for " + what + " (movie units, or pixels as 12px)");
  }
  // value = digits / 10^k × factor must be whole.
  int64_t digits = std::strtoll((n.whole + n.fraction).c_str(), nullptr, 10);
  int64_t scale = 1;
  for (size_t i = 0; i < n.fraction.size(); ++i) scale *= 10;
  int64_t factor = n.unit == "px" ? UnitsPerPixel : 1;
  if ((digits * factor) % scale != 0) fail(std::string("\"") + t.text + "\" is not a whole number of movie units");
  int64_t v = digits * factor / scale;
  if (n.negative) v = -v;
  if (v < lo || v > hi) {
    fail(std::string(what) + " " + t.text + " out of range (" + std::to_string(lo) + " to " + std::to_string(hi) +
         " movie units)");
  }
  return v;
}

double Args::decimal(const char* what) {
  const Token& t = next(what);
  NumberText n;
  if (t.kind != Token::Number || !splitNumber(t.text, n) || n.hex || !n.unit.empty()) {
    fail(std::string("bad number \"") + t.text + "\" for " + what);
  }
  return std::strtod(t.text.c_str(), nullptr);
}

Fixed Args::fixed(const char* what) {
  double v = decimal(what);
  double scaled = std::nearbyint(v * 65536.0);
  if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0)) fail(std::string(what) + " out of range");
  return static_cast<Fixed>(scaled);
}

Rgb Args::color(const char* what) {
  const Token& t = next(what);
  if (t.kind != Token::Color) fail(std::string("expected ") + what + " as #rrggbb, found " + describe(t));
  Rgb c;
  c.red = static_cast<int32_t>(t.color >> 16);
  c.green = static_cast<int32_t>((t.color >> 8) & 0xFF);
  c.blue = static_cast<int32_t>(t.color & 0xFF);
  return c;
}

std::string Args::string(const char* what) {
  const Token& t = next(what);
  if (t.kind != Token::String) fail(std::string("expected ") + what + " as a \"string\", found " + describe(t));
  return t.text;
}

std::vector<uint8_t> Args::data(const char* what) {
  const Token& t = next(what);
  if (t.kind != Token::Data) fail(std::string("expected ") + what + " as <hex bytes>, found " + describe(t));
  return t.data;
}

Rect Args::rect(const char* what) {
  Rect r;
  r.xmin = static_cast<int32_t>(units(what, INT32_MIN / 2, INT32_MAX / 2));
  r.xmax = static_cast<int32_t>(units(what, INT32_MIN / 2, INT32_MAX / 2));
  r.ymin = static_cast<int32_t>(units(what, INT32_MIN / 2, INT32_MAX / 2));
  r.ymax = static_cast<int32_t>(units(what, INT32_MIN / 2, INT32_MAX / 2));
  return r;
}

bool takeMatrixOption(Args& args, MatrixSpec& matrixWords) {
  if (args.takeWord("translate")) {
    matrixWords.tx = args.units("translate x", INT32_MIN / 2, INT32_MAX / 2);
    matrixWords.ty = args.units("translate y", INT32_MIN / 2, INT32_MAX / 2);
    matrixWords.composed = true;
  } else if (args.takeWord("scale")) {
    matrixWords.scaleX = matrixWords.scaleY = args.decimal("scale");
    if (args.peekKind(Token::Number)) matrixWords.scaleY = args.decimal("scale y");
    matrixWords.composed = true;
  } else if (args.takeWord("rotate")) {
    matrixWords.degrees = args.decimal("rotate angle in degrees");
    matrixWords.composed = true;
  } else if (args.takeWord("matrix")) {
    matrixWords.raw = true;
    matrixWords.rawMatrix.a = args.fixed("matrix a");
    matrixWords.rawMatrix.b = args.fixed("matrix b");
    matrixWords.rawMatrix.c = args.fixed("matrix c");
    matrixWords.rawMatrix.d = args.fixed("matrix d");
    matrixWords.rawMatrix.tx = static_cast<int32_t>(args.units("matrix tx", INT32_MIN / 2, INT32_MAX / 2));
    matrixWords.rawMatrix.ty = static_cast<int32_t>(args.units("matrix ty", INT32_MIN / 2, INT32_MAX / 2));
  } else if (args.takeWord("scalebits")) {
    matrixWords.coding.scaleBits = static_cast<int>(args.integer("scalebits", 0, 31));
  } else if (args.takeWord("rotatebits")) {
    matrixWords.coding.rotateBits = static_cast<int>(args.integer("rotatebits", 0, 31));
  } else if (args.takeWord("translatebits")) {
    matrixWords.coding.translateBits = static_cast<int>(args.integer("translatebits", 0, 31));
  } else {
    return false;
  }
  if (matrixWords.raw && matrixWords.composed) args.fail("matrix A B C D TX TY cannot be mixed with translate, scale or rotate");
  return true;
}

static Fixed toFixed(double v, int line) {
  double scaled = std::nearbyint(v * 65536.0);
  if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0)) throw SourceError(line, "matrix coefficient out of range");
  return static_cast<Fixed>(scaled);
}

enc::CodedMatrix resolveMatrix(const MatrixSpec& matrixWords, int line) {
  enc::CodedMatrix out;
  out.coding = matrixWords.coding;
  if (matrixWords.raw) {
    out.m = matrixWords.rawMatrix;
  } else {
    // Scale, then rotate (clockwise on screen, y grows downwards), then translate.
    double radians = matrixWords.degrees * 3.14159265358979323846 / 180.0;
    double cs = std::cos(radians), sn = std::sin(radians);
    out.m.a = toFixed(matrixWords.scaleX * cs, line);
    out.m.b = toFixed(matrixWords.scaleX * sn, line);
    out.m.c = toFixed(-matrixWords.scaleY * sn, line);
    out.m.d = toFixed(matrixWords.scaleY * cs, line);
    out.m.tx = static_cast<int32_t>(matrixWords.tx);
    out.m.ty = static_cast<int32_t>(matrixWords.ty);
  }
  const Matrix& m = out.m;
  // The widest matrix field holds 31 bits (its width is a 5-bit count):
  // a wider coefficient would be written as a broken place tag.
  if (enc::fieldBitsFor({m.a, m.b, m.c, m.d}) > 31) {
    throw SourceError(line, "matrix coefficient out of range (-16384 to 16383.99998)");
  }
  auto check = [&](int bits, std::initializer_list<int32_t> values, const char* name) {
    if (bits >= 0 && enc::fieldBitsFor(values) > bits) {
      throw SourceError(line, std::string(name) + " " + std::to_string(bits) + " is too narrow for the matrix values");
    }
  };
  check(matrixWords.coding.scaleBits, {m.a, m.d}, "scalebits");
  check(matrixWords.coding.rotateBits, {m.b, m.c}, "rotatebits");
  check(matrixWords.coding.translateBits, {m.tx, m.ty}, "translatebits");
  return out;
}

std::vector<uint32_t> decodeUtf8(const std::string& text, int line) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + static_cast<size_t>(extra) >= text.size())) {
      throw SourceError(line, "text is not valid UTF-8");
    }
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      uint8_t d = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
      if ((d & 0xC0) != 0x80) throw SourceError(line, "text is not valid UTF-8");
      cp = cp << 6 | (d & 0x3F);
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// The shortest decimal that reads back as v / one.
static std::string exactDecimal(int64_t v, double one) {
  char buffer[64];
  for (int digits = 0; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, static_cast<double>(v) / one);
    if (static_cast<int64_t>(std::nearbyint(std::strtod(buffer, nullptr) * one)) == v) break;
  }
  return buffer;
}

std::string fixedText(Fixed v) { return exactDecimal(v, 65536.0); }
std::string rateText(uint32_t rate88) { return exactDecimal(rate88, 256.0); }

std::string colorText(const Rgb& c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF);
  return buffer;
}

std::string quoted(const std::string& bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    uint8_t c = static_cast<uint8_t>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c >= 0x20 && c < 0x7F) {
      out += ch;
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
      out += buffer;
    }
  }
  return out + "\"";
}

std::string quotedCodes(const std::vector<uint32_t>& codes) {
  std::string out = "\"";
  for (uint32_t c : codes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\u{%x}", c);
      out += buffer;
    }
  }
  return out + "\"";
}

std::string dataText(const std::vector<uint8_t>& bytes, const std::string& indent) {
  std::string out = "<";
  char buffer[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % 32 == 0) out += "\n" + indent + " ";
    std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
    out += buffer;
  }
  return out + ">";
}

}  // namespace lmr::lmrc
