#include "tools/lmrc/source_compiler.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/lmrc/lib/font_import.h"
#include "tools/lmrc/lib/jpeg_split.h"
#include "tools/lmrc/lib/shape_encoder.h"
#include "tools/lmrc/lib/tag_bodies.h"
#include "tools/lmrc/source_shapes.h"
#include "tools/lmrc/source_values.h"

namespace lmr::lmrc {

namespace {

// Header forms a tag statement may ask for.
constexpr int FormDefault = 0, FormShort = 1, FormLong = 2;

uint16_t idArg(Args& a, const char* what) { return static_cast<uint16_t>(a.integer(what, 0, 65535)); }

std::string headWord(const Statement& s) { return s.tokens[0].kind == Token::Word ? s.tokens[0].text : ""; }

void noBlock(const Statement& s) {
  if (s.hasBlock) throw SourceError(s.line, "no block belongs after " + describe(s.tokens[0]));
}

void needBlock(const Statement& s, const char* example) {
  if (!s.hasBlock) throw SourceError(s.line, describe(s.tokens[0]) + " needs a block: " + example);
}

std::vector<uint8_t> readFile(const std::string& path, int line) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SourceError(line, "cannot open \"" + path + "\"");
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One action statement of a frame action list or a button; false when the
// statement is not an action.
bool compileAction(const Statement& s, std::vector<enc::Action>& out) {
  std::string k = headWord(s);
  Args a(s, 1);
  enc::Action act;
  if (k == "next") {
    act.code = enc::ActStepForward;
  } else if (k == "prev") {
    act.code = enc::ActStepBack;
  } else if (k == "play") {
    act.code = enc::ActStartPlaying;
  } else if (k == "stop") {
    act.code = enc::ActStopPlaying;
  } else if (k == "quality") {
    act.code = enc::ActFlipQuality;
  } else if (k == "goto") {
    act = enc::jumpToFrameAction(static_cast<uint16_t>(a.integer("frame number", 0, 65535)));
  } else if (k == "url") {
    std::string url = a.string("URL");
    std::string target = a.done() ? "" : a.string("target");
    if (url.find('\0') != std::string::npos || target.find('\0') != std::string::npos) {
      a.fail("a URL or target cannot hold a zero byte");
    }
    act = enc::openUrlAction(url, target);
  } else if (k == "action") {
    act.code = static_cast<uint8_t>(a.integer("action code", 1, 255));
    if (!a.done()) {
      if (act.code < enc::ActHasBody) a.fail("action codes below 0x80 have no body");
      act.body = a.data("action body");
      if (act.body.size() > 65535) a.fail("an action body holds at most 65535 bytes");
    }
  } else {
    return false;
  }
  noBlock(s);
  a.expectDone("action argument");
  out.push_back(std::move(act));
  return true;
}

// The character codes that texts after a font import set in that font id,
// up to the next definition of the id.
void collectTextCodes(uint32_t fontId, const Statement* following, size_t count, std::set<uint32_t>& codes) {
  for (size_t i = 0; i < count; ++i) {
    const Statement& s = following[i];
    std::string k = headWord(s);
    if (k == "font" && s.tokens.size() > 1 && s.tokens[1].kind == Token::Number &&
        std::strtoll(s.tokens[1].text.c_str(), nullptr, 0) == static_cast<long long>(fontId)) {
      return;
    }
    if (k != "text") continue;
    int64_t current = -1;
    for (const Statement& record : s.block) {
      const std::vector<Token>& t = record.tokens;
      for (size_t j = 0; j < t.size(); ++j) {
        if (t[j].kind == Token::Word && t[j].text == "font" && j + 1 < t.size() && t[j + 1].kind == Token::Number) {
          current = std::strtoll(t[j + 1].text.c_str(), nullptr, 0);
        } else if (t[j].kind == Token::String && current == static_cast<int64_t>(fontId)) {
          try {
            for (uint32_t c : decodeUtf8(t[j].text, record.line)) codes.insert(c);
          } catch (const SourceError&) {
            // The text itself reports it.
          }
        }
      }
    }
  }
}

uint8_t faceFlag(const std::string& word) {
  if (word == "bold") return enc::FaceBold;
  if (word == "italic") return enc::FaceItalic;
  if (word == "wide") return enc::FaceTwoByteCodes;
  if (word == "system") return enc::FaceSystem;
  return 0;
}

std::string codeName(uint32_t code) {
  char buffer[32];
  if (code >= 0x20 && code < 0x7F) {
    std::snprintf(buffer, sizeof buffer, "'%c'", static_cast<char>(code));
  } else {
    std::snprintf(buffer, sizeof buffer, "U+%04X", code);
  }
  return buffer;
}

}  // namespace

MovieCompiler::MovieCompiler(std::string baseDir) : baseDir_(std::move(baseDir)) {}

std::string MovieCompiler::path(const std::string& name) const {
  if (name.empty() || name[0] == '/' || baseDir_.empty() || baseDir_ == ".") return name;
#ifdef _WIN32
  if (name.size() > 1 && name[1] == ':') return name;
#endif
  return baseDir_ + "/" + name;
}

std::vector<uint8_t> MovieCompiler::compileAll(const std::vector<Statement>& statements) {
  for (size_t i = 0; i < statements.size(); ++i) {
    compile(statements[i], statements.data() + i + 1, statements.size() - i - 1);
  }
  return finish();
}

void MovieCompiler::writeTag(uint32_t code, const std::vector<uint8_t>& body, int form, bool longByDefault) {
  bool longForm = form == FormLong || (form == FormDefault && longByDefault);
  if (form == FormShort && body.size() >= 0x3F) {
    throw SourceError(0, "short tag header cannot hold a body of " + std::to_string(body.size()) +
                             " bytes (at most 62)");
  }
  enc::writeTag(tags_, code, body, longForm);
  anyTag_ = true;
  if (code == enc::TagFrame) ++frameTags_;
  if (code == enc::TagEnd) endWritten_ = true;
}

std::vector<uint8_t> MovieCompiler::compile(const Statement& given, const Statement* following, size_t followingCount) {
  size_t before = tags_.bytes.size();
  // The header form is a word anywhere in the statement's head.
  Statement s = given;
  int form = FormDefault;
  std::string k = headWord(s);
  if (k != "movie" && k != "bytes") {
    for (size_t i = 1; i < s.tokens.size();) {
      const Token& t = s.tokens[i];
      if (t.kind == Token::Word && (t.text == "long" || t.text == "short")) {
        if (form != FormDefault) throw SourceError(t.line, "long and short are given twice");
        form = t.text == "long" ? FormLong : FormShort;
        s.tokens.erase(s.tokens.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  }
  try {
    Args a(s, 1);
    if (k == "movie") {
      noBlock(s);
      header(s);
    } else if (k == "frame") {
      noBlock(s);
      int64_t count = a.done() ? 1 : a.integer("frame count", 1, 65535);
      a.expectDone("frame option");
      for (int64_t i = 0; i < count; ++i) writeTag(enc::TagFrame, {}, form);
    } else if (k == "end") {
      noBlock(s);
      a.expectDone("end option");
      writeTag(enc::TagEnd, {}, form);
    } else if (k == "background") {
      noBlock(s);
      Rgb c = a.color("background colour");
      a.expectDone("background option");
      writeTag(enc::TagBackground, enc::backgroundBody(c), form);
    } else if (k == "place") {
      noBlock(s);
      uint16_t id = idArg(a, "character id");
      uint16_t depth = idArg(a, "depth");
      MatrixSpec matrixWords;
      while (!a.done()) {
        if (!takeMatrixOption(a, matrixWords)) a.unknown("place option");
      }
      writeTag(enc::TagPlace, enc::placeBody(id, depth, resolveMatrix(matrixWords, s.line)), form);
    } else if (k == "remove") {
      noBlock(s);
      uint16_t id = idArg(a, "character id");
      uint16_t depth = idArg(a, "depth");
      a.expectDone("remove option");
      writeTag(enc::TagRemove, enc::removeBody(id, depth), form);
    } else if (k == "drop") {
      noBlock(s);
      uint16_t id = idArg(a, "character id");
      a.expectDone("drop option");
      writeTag(enc::TagDropCharacter, enc::dropBody(id), form);
    } else if (k == "shape") {
      shape(s, form);
    } else if (k == "button") {
      button(s, form);
    } else if (k == "actions") {
      actions(s, form);
    } else if (k == "font") {
      font(s, form, following, followingCount);
    } else if (k == "fontface") {
      fontFace(s, form);
    } else if (k == "text") {
      text(s, form);
    } else if (k == "jpeg" || k == "jpegtables" || k == "jpegimage") {
      jpeg(s, form);
    } else if (k == "tag") {
      noBlock(s);
      uint32_t code = static_cast<uint32_t>(a.integer("tag code", 0, enc::TagCodeLimit - 1));
      std::vector<uint8_t> body;
      if (!a.done()) body = a.data("tag body");
      a.expectDone("tag option");
      writeTag(code, body, form);
    } else if (k == "bytes") {
      noBlock(s);
      std::vector<uint8_t> raw = a.data("bytes");
      a.expectDone("bytes option");
      tags_.raw(raw);
      anyTag_ = true;
    } else {
      throw SourceError(s.line, "unknown keyword " + (k.empty() ? describe(s.tokens[0]) : "\"" + k + "\""));
    }
  } catch (SourceError& e) {
    if (e.line == 0) e.line = s.line;
    throw;
  }
  return std::vector<uint8_t>(tags_.bytes.begin() + static_cast<std::ptrdiff_t>(before), tags_.bytes.end());
}

void MovieCompiler::header(const Statement& s) {
  if (headerGiven_ || anyTag_) throw SourceError(s.line, "the movie line comes first, once");
  headerGiven_ = true;
  Args a(s, 1);
  while (!a.done()) {
    if (a.takeWord("version")) {
      header_.version = static_cast<uint8_t>(a.integer("version", 0, 255));
    } else if (a.takeWord("rect")) {
      header_.frame = a.rect("frame rectangle");
    } else if (a.takeWord("rectbits")) {
      header_.rectWidth = static_cast<int>(a.integer("rectbits", 0, 31));
    } else if (a.takeWord("rate")) {
      double r = a.decimal("frame rate");
      double v = std::nearbyint(r * 256.0);
      if (!(v >= 0 && v <= 65535)) a.fail("frame rate out of range (0 to 255.99609375)");
      header_.rate = static_cast<uint32_t>(v);
    } else if (a.takeWord("frames")) {
      if (a.takeWord("auto")) {
        framesGiven_ = false;
      } else {
        header_.frameCount = static_cast<uint32_t>(a.integer("frame count", 0, 65535));
        framesGiven_ = true;
      }
    } else if (a.takeWord("length")) {
      header_.declaredLength = a.integer("declared file length", 0, 0xFFFFFFFFll);
    } else if (a.takeWord("noend")) {
      noEnd_ = true;
    } else {
      a.unknown("movie option");
    }
  }
  const Rect& r = header_.frame;
  if (header_.rectWidth >= 0 && enc::fieldBitsFor({r.xmin, r.xmax, r.ymin, r.ymax}) > header_.rectWidth) {
    throw SourceError(s.line, "rectbits too narrow for the frame rectangle");
  }
}

std::vector<uint8_t> MovieCompiler::finish() const {
  enc::BitWriter tags = tags_;
  if (!endWritten_ && !noEnd_) enc::writeTag(tags, enc::TagEnd, {});
  enc::MovieHeader h = header_;
  if (!framesGiven_) h.frameCount = frameTags_;
  return enc::buildMovie(h, tags.bytes);
}

// Bounds options shared by shapes and texts.
static bool takeBoundsOption(Args& a, Rect& bounds, bool& given, int& bits) {
  if (a.takeWord("bounds")) {
    bounds = a.rect("bounds");
    given = true;
  } else if (a.takeWord("boundsbits")) {
    bits = static_cast<int>(a.integer("boundsbits", 0, 31));
  } else {
    return false;
  }
  return true;
}

static void checkRectBits(const Rect& r, int bits, int line) {
  if (bits >= 0 && enc::fieldBitsFor({r.xmin, r.xmax, r.ymin, r.ymax}) > bits) {
    throw SourceError(line, "boundsbits too narrow for the bounds");
  }
}

void MovieCompiler::shape(const Statement& s, int form) {
  needBlock(s, "shape ID { fill ...; moveto ...; lineto ... }");
  Args a(s, 1);
  uint16_t id = idArg(a, "shape id");
  Rect bounds{0, 0, 0, 0};
  bool boundsGiven = false;
  int bits = -1;
  while (!a.done()) {
    if (!takeBoundsOption(a, bounds, boundsGiven, bits)) a.unknown("shape option");
  }
  Rect points;
  int widest = 0;
  enc::ShapeBody body = compileShapeBlock(s.block, true, points, widest);
  if (!boundsGiven && !rectIsEmpty(points)) {
    // The path's points, widened by half the widest line.
    int32_t half = (widest + 1) / 2;
    bounds = Rect{points.xmin - half, points.xmax + half, points.ymin - half, points.ymax + half};
  }
  checkRectBits(bounds, bits, s.line);
  writeTag(enc::TagShape, enc::shapeBody(id, bounds, bits, body), form);
}

void MovieCompiler::button(const Statement& s, int form) {
  needBlock(s, "button ID { state idle 1 1; url \"...\" }");
  Args a(s, 1);
  uint16_t id = idArg(a, "button id");
  a.expectDone("button option");
  enc::ButtonBody body;
  for (const Statement& item : s.block) {
    if (compileAction(item, body.actions)) continue;
    if (headWord(item) != "state") {
      throw SourceError(item.line, "unknown button statement " + describe(item.tokens[0]) +
                                       " (state, or an action: play, stop, next, prev, quality, goto, url, action)");
    }
    if (!body.actions.empty()) throw SourceError(item.line, "a button's states come before its actions");
    noBlock(item);
    Args r(item, 1);
    enc::ButtonRecord record;
    const Token& states = r.next("button states (idle, hover, pressed, hit joined by +, or a number)");
    if (states.kind == Token::Number) {
      Args again(item, 1);
      record.states = static_cast<uint8_t>(again.integer("button states", 1, 255));
    } else if (states.kind == Token::Word) {
      record.states = 0;
      size_t start = 0;
      std::string all = states.text;
      while (start <= all.size()) {
        size_t plus = all.find('+', start);
        std::string part = all.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        uint8_t bit = part == "idle" ? enc::BtnIdle : part == "hover" ? enc::BtnHover
                    : part == "pressed" ? enc::BtnPressed : part == "hit" ? enc::BtnHitArea : 0;
        if (bit == 0) r.fail("unknown button state \"" + part + "\" (idle, hover, pressed, hit)");
        record.states |= bit;
        if (plus == std::string::npos) break;
        start = plus + 1;
      }
    } else {
      r.fail("expected button states, found " + describe(states));
    }
    record.id = idArg(r, "character id");
    record.depth = idArg(r, "depth");
    MatrixSpec matrixWords;
    while (!r.done()) {
      if (!takeMatrixOption(r, matrixWords)) r.unknown("state option");
    }
    record.matrix = resolveMatrix(matrixWords, item.line);
    body.records.push_back(record);
  }
  writeTag(enc::TagButton, enc::buttonBody(id, body), form);
}

void MovieCompiler::actions(const Statement& s, int form) {
  needBlock(s, "actions { stop }");
  Args a(s, 1);
  a.expectDone("actions option");
  std::vector<enc::Action> list;
  for (const Statement& item : s.block) {
    if (!compileAction(item, list)) {
      throw SourceError(item.line, "unknown action " + describe(item.tokens[0]) +
                                       " (play, stop, next, prev, quality, goto, url, action)");
    }
  }
  writeTag(enc::TagActions, enc::actionListBody(list), form);
}

void MovieCompiler::font(const Statement& s, int form, const Statement* following, size_t followingCount) {
  Args a(s, 1);
  uint16_t id = idArg(a, "font id");
  auto info = std::make_shared<FontInfo>();
  if (s.hasBlock) {
    // Glyphs written out: each may name its code and advance, which only
    // texts written as strings use.
    a.expectDone("font option (a font with glyphs written out takes none)");
    enc::FontBody body;
    bool allCodes = true, allAdvances = true;
    for (const Statement& g : s.block) {
      if (headWord(g) != "glyph") throw SourceError(g.line, "unknown font statement " + describe(g.tokens[0]) + " (glyph)");
      Args ga(g, 1);
      int64_t code = -1, advance = INT64_MIN;
      int fillBits = -1, lineBits = -1;
      while (!ga.done()) {
        if (ga.takeWord("code")) {
          if (ga.peekKind(Token::String)) {
            std::vector<uint32_t> c = decodeUtf8(ga.string("glyph code"), g.line);
            if (c.size() != 1) ga.fail("a glyph code is one character");
            code = c[0];
          } else {
            code = ga.integer("glyph code", 0, 65535);
          }
        } else if (ga.takeWord("advance")) {
          advance = ga.units("glyph advance", -65536, 65536);
        } else if (ga.takeWord("fillbits")) {
          fillBits = static_cast<int>(ga.integer("fillbits", 0, 15));
        } else if (ga.takeWord("linebits")) {
          lineBits = static_cast<int>(ga.integer("linebits", 0, 15));
        } else {
          ga.unknown("glyph option");
        }
      }
      Rect points;
      int widest = 0;
      enc::ShapeBody glyph = compileShapeBlock(g.block, false, points, widest);
      if (fillBits >= 0) glyph.fillBits = fillBits;
      if (lineBits >= 0) glyph.lineBits = lineBits;
      body.glyphs.push_back(std::move(glyph));
      info->glyphBounds.push_back(points);
      allCodes = allCodes && code >= 0;
      allAdvances = allAdvances && advance != INT64_MIN;
      info->codes.push_back(static_cast<uint32_t>(std::max<int64_t>(code, 0)));
      info->advances.push_back(static_cast<int32_t>(advance == INT64_MIN ? 0 : advance));
    }
    if (!allCodes) info->codes.clear();
    if (!allAdvances) info->advances.clear();
    if (!enc::fontOffsetsFit(body)) throw SourceError(s.line, "the glyph outlines do not fit the 16-bit offsets of a font");
    std::vector<uint8_t> bytes = enc::fontBody(id, body);
    writeTag(enc::TagFont, bytes, form);
    fonts_[id] = info;
    return;
  }
  // Imported from a font file.
  std::string file = a.string("font file");
  std::set<uint32_t> codes;
  std::string name;
  bool nameGiven = false, noFace = false;
  uint8_t flagsOn = 0, flagsOff = 0;
  while (!a.done()) {
    if (a.takeWord("chars")) {
      for (uint32_t c : decodeUtf8(a.string("characters"), s.line)) codes.insert(c);
    } else if (a.takeWord("name")) {
      name = a.string("face name");
      nameGiven = true;
    } else if (a.takeWord("noface")) {
      noFace = true;
    } else if (a.takeWord("regular")) {
      flagsOff |= enc::FaceBold | enc::FaceItalic;
    } else if (a.peekKind(Token::Word) && faceFlag(a.peek().text) != 0) {
      flagsOn |= faceFlag(a.word("flag"));
    } else {
      a.unknown("font option");
    }
  }
  collectTextCodes(id, following, followingCount, codes);
  for (uint32_t c : codes) {
    if (c > 0xFFFF) throw SourceError(s.line, "character " + codeName(c) + " is beyond the 16-bit codes of a font");
  }
  std::vector<uint32_t> ordered(codes.begin(), codes.end());
  enc::ImportedFont imported;
  try {
    imported = enc::importFont(path(file), ordered);
  } catch (const enc::FontImportError& e) {
    throw SourceError(s.line, e.what());
  }
  if (!enc::fontOffsetsFit(imported.body)) throw SourceError(s.line, "the glyph outlines do not fit the 16-bit offsets of a font");
  std::vector<uint8_t> bytes = enc::fontBody(id, imported.body);
  writeTag(enc::TagFont, bytes, form);
  info->codes = ordered;
  info->advances = imported.advances;
  for (const enc::ShapeBody& g : imported.body.glyphs) info->glyphBounds.push_back(shapePointBounds(g));
  fonts_[id] = info;
  if (!noFace) {
    enc::FontFace face = imported.face;
    if (nameGiven) face.name = name;
    if (face.name.size() > 255) throw SourceError(s.line, "a face name holds at most 255 bytes");
    face.flags = static_cast<uint8_t>((face.flags & ~flagsOff) | flagsOn);
    writeTag(enc::TagFontFace, enc::fontFaceBody(id, face), FormDefault);
  }
}

void MovieCompiler::fontFace(const Statement& s, int form) {
  noBlock(s);
  Args a(s, 1);
  uint16_t id = idArg(a, "font id");
  enc::FontFace face;
  face.name = a.string("face name");
  if (face.name.size() > 255) a.fail("a face name holds at most 255 bytes");
  std::vector<uint32_t> codes;
  while (!a.done()) {
    if (a.takeWord("flags")) {
      face.flags |= static_cast<uint8_t>(a.integer("flags byte", 0, 255));
    } else if (a.takeWord("codes")) {
      if (a.peekKind(Token::String)) {
        std::vector<uint32_t> c = decodeUtf8(a.string("codes"), s.line);
        codes.insert(codes.end(), c.begin(), c.end());
      } else {
        while (a.peekKind(Token::Number)) codes.push_back(static_cast<uint32_t>(a.integer("code", 0, 65535)));
      }
    } else if (a.peekKind(Token::Word) && faceFlag(a.peek().text) != 0) {
      face.flags |= faceFlag(a.word("flag"));
    } else {
      a.unknown("fontface option");
    }
  }
  for (uint32_t c : codes) {
    if (c > 0xFFFF) a.fail("character " + codeName(c) + " is beyond the 16-bit codes of a font");
    if (c > 0xFF) face.flags |= enc::FaceTwoByteCodes;
    face.codes.push_back(static_cast<uint16_t>(c));
  }
  writeTag(enc::TagFontFace, enc::fontFaceBody(id, face), form);
  // Texts written as strings look their glyphs up in these codes.
  auto info = std::make_shared<FontInfo>();
  auto known = fonts_.find(id);
  if (known != fonts_.end()) *info = *known->second;
  info->codes = codes;
  fonts_[id] = info;
}

void MovieCompiler::text(const Statement& s, int form) {
  needBlock(s, "text ID { font 1 height 24px color #000000 x 0 y 20px \"Hello\" }");
  Args a(s, 1);
  uint16_t id = idArg(a, "text id");
  Rect bounds{0, 0, 0, 0};
  bool boundsGiven = false;
  int bits = -1;
  MatrixSpec matrixWords;
  enc::TextBody body;
  while (!a.done()) {
    if (takeBoundsOption(a, bounds, boundsGiven, bits) || takeMatrixOption(a, matrixWords)) continue;
    if (a.takeWord("glyphbits")) {
      body.glyphBits = static_cast<int>(a.integer("glyphbits", 0, 255));
    } else if (a.takeWord("advancebits")) {
      body.advanceBits = static_cast<int>(a.integer("advancebits", 0, 255));
    } else {
      a.unknown("text option");
    }
  }
  body.matrix = resolveMatrix(matrixWords, s.line);

  int64_t currentFont = -1, currentHeight = -1;
  int64_t penX = 0, penY = 0;
  Rect glyphArea;  // in text space, before the text matrix
  for (const Statement& item : s.block) {
    noBlock(item);
    Args r(item, 0);
    enc::TextRecord record;
    bool fontGiven = false, heightGiven = false, haveGlyphs = false, haveAdvances = false;
    std::string string;
    bool haveString = false;
    std::vector<int32_t> advances;
    while (!r.done()) {
      if (r.takeWord("font")) {
        currentFont = r.integer("font id", 0, 65535);
        fontGiven = true;
      } else if (r.takeWord("height")) {
        currentHeight = r.units("text height", 0, 65535);
        heightGiven = true;
      } else if (r.takeWord("color")) {
        record.color = r.color("text colour");
        record.flags |= enc::TextColor;
      } else if (r.takeWord("x")) {
        record.x = static_cast<int16_t>(r.units("x", -32768, 32767));
        record.flags |= enc::TextX;
      } else if (r.takeWord("y")) {
        record.y = static_cast<int16_t>(r.units("y", -32768, 32767));
        record.flags |= enc::TextY;
      } else if (r.takeWord("spare")) {
        int64_t v = r.integer("spare flag bits", 0, 255);
        if (v & 0x0F) r.fail("spare text flags are the bits 0x10 to 0x80");
        record.flags |= static_cast<uint8_t>(v);
      } else if (r.peekKind(Token::String)) {
        string = r.string("text");
        haveString = true;
      } else if (r.takeWord("glyphs")) {
        haveGlyphs = true;
        while (r.peekKind(Token::Number)) {
          enc::TextGlyph g;
          g.index = static_cast<uint32_t>(r.integer("glyph index", 0, 0xFFFFFFFFll));
          record.glyphs.push_back(g);
        }
      } else if (r.takeWord("advances")) {
        haveAdvances = true;
        while (r.peekKind(Token::Number)) advances.push_back(static_cast<int32_t>(r.units("advance", INT32_MIN, INT32_MAX)));
      } else {
        r.unknown("text record option");
      }
    }
    if (fontGiven || heightGiven) {
      if (currentFont < 0) r.fail("height needs a font: font ID height H");
      if (currentHeight < 0) r.fail("font needs a height: font ID height H");
      record.flags |= enc::TextFont;
      record.fontId = static_cast<uint16_t>(currentFont);
      record.height = static_cast<uint16_t>(currentHeight);
    }
    if ((record.flags & 0x0F) == 0 && record.flags == 0) {
      r.fail("a text record sets at least one of font, color, x, y (a record without any ends the text)");
    }
    if (haveString && haveGlyphs) r.fail("a text record has a \"string\" or glyphs, not both");
    std::shared_ptr<const FontInfo> info;
    if (currentFont >= 0) {
      auto f = fonts_.find(static_cast<uint32_t>(currentFont));
      if (f != fonts_.end()) info = f->second;
    }
    if (haveString) {
      if (currentFont < 0) r.fail("a \"string\" needs a font: font ID height H");
      if (!info || info->codes.empty()) {
        r.fail("font " + std::to_string(currentFont) + " has no code table: write glyphs I ... advances A ...");
      }
      for (uint32_t c : decodeUtf8(string, item.line)) {
        auto at = std::find(info->codes.begin(), info->codes.end(), c);
        if (at == info->codes.end()) r.fail("font " + std::to_string(currentFont) + " has no glyph for " + codeName(c));
        enc::TextGlyph g;
        g.index = static_cast<uint32_t>(at - info->codes.begin());
        record.glyphs.push_back(g);
      }
    }
    if (record.glyphs.size() > 255) r.fail("a text record holds at most 255 glyphs");
    if (haveAdvances) {
      if (advances.size() != record.glyphs.size()) {
        r.fail(std::to_string(advances.size()) + " advances for " + std::to_string(record.glyphs.size()) + " glyphs");
      }
      for (size_t i = 0; i < advances.size(); ++i) record.glyphs[i].advance = advances[i];
    } else if (!record.glyphs.empty()) {
      if (!info || info->advances.empty()) {
        r.fail("font " + std::to_string(currentFont) + " has no advance widths: give advances A ...");
      }
      for (enc::TextGlyph& g : record.glyphs) {
        int64_t em = g.index < info->advances.size() ? info->advances[g.index] : 0;
        g.advance = static_cast<int32_t>(std::llround(static_cast<double>(em) * static_cast<double>(currentHeight) / 1024.0));
      }
    }
    // The glyphs' area for bounds: outlines at height / 1024, at the pen.
    if (record.flags & enc::TextX) penX = record.x;
    if (record.flags & enc::TextY) penY = record.y;
    for (const enc::TextGlyph& g : record.glyphs) {
      if (info && g.index < info->glyphBounds.size() && !rectIsEmpty(info->glyphBounds[g.index]) && currentHeight > 0) {
        const Rect& gb = info->glyphBounds[g.index];
        double k = static_cast<double>(currentHeight) / 1024.0;
        growRect(glyphArea, penX + static_cast<int64_t>(std::floor(gb.xmin * k)), penY + static_cast<int64_t>(std::floor(gb.ymin * k)));
        growRect(glyphArea, penX + static_cast<int64_t>(std::ceil(gb.xmax * k)), penY + static_cast<int64_t>(std::ceil(gb.ymax * k)));
      }
      penX += g.advance;
    }
    body.records.push_back(std::move(record));
  }
  int glyphBits = enc::textGlyphBits(enc::TextBody{body.matrix, -1, -1, body.records});
  int advanceBits = enc::textAdvanceBits(enc::TextBody{body.matrix, -1, -1, body.records});
  if (body.glyphBits >= 0 && body.glyphBits < glyphBits) throw SourceError(s.line, "glyphbits too narrow for the glyph indices");
  if (body.advanceBits >= 0 && body.advanceBits < advanceBits) throw SourceError(s.line, "advancebits too narrow for the advances");
  if (!boundsGiven && !rectIsEmpty(glyphArea)) {
    // The glyph area under the text matrix.
    const Matrix& m = body.matrix.m;
    Rect out;
    for (int corner = 0; corner < 4; ++corner) {
      double x = corner & 1 ? glyphArea.xmax : glyphArea.xmin;
      double y = corner & 2 ? glyphArea.ymax : glyphArea.ymin;
      double tx = (m.a * x + m.c * y) / 65536.0 + m.tx, ty = (m.b * x + m.d * y) / 65536.0 + m.ty;
      growRect(out, static_cast<int64_t>(std::floor(tx)), static_cast<int64_t>(std::floor(ty)));
      growRect(out, static_cast<int64_t>(std::ceil(tx)), static_cast<int64_t>(std::ceil(ty)));
    }
    bounds = out;
  }
  checkRectBits(bounds, bits, s.line);
  writeTag(enc::TagText, enc::textBody(id, bounds, bits, body), form);
}

void MovieCompiler::jpeg(const Statement& s, int form) {
  noBlock(s);
  std::string k = headWord(s);
  Args a(s, 1);
  if (k == "jpegtables") {
    std::vector<uint8_t> data = a.done() ? std::vector<uint8_t>() : a.data("JPEG tables");
    a.expectDone("jpegtables option");
    writeTag(enc::TagJpegSetup, data, form);
    if (!haveJpegTables_) {
      haveJpegTables_ = true;
      jpegTables_ = data;
    }
    return;
  }
  uint16_t id = idArg(a, "image id");
  if (k == "jpegimage") {
    std::vector<uint8_t> data = a.done() ? std::vector<uint8_t>() : a.data("JPEG image");
    a.expectDone("jpegimage option");
    writeTag(enc::TagJpegImage, enc::jpegImageBody(id, data), form, true);
    return;
  }
  std::string file = a.string("picture file");
  int quality = 85;
  while (!a.done()) {
    if (a.takeWord("quality")) {
      quality = static_cast<int>(a.integer("JPEG quality", 1, 100));
    } else {
      a.unknown("jpeg option");
    }
  }
  enc::JpegParts parts;
  try {
    parts = enc::splitJpeg(enc::pictureAsJpeg(readFile(path(file), s.line), quality));
  } catch (const enc::JpegError& e) {
    throw SourceError(s.line, "\"" + file + "\": " + e.what());
  }
  // The player keeps the first tables of a movie; an image with other
  // tables carries its own.
  if (!haveJpegTables_) {
    writeTag(enc::TagJpegSetup, parts.tables, FormDefault);
    haveJpegTables_ = true;
    jpegTables_ = parts.tables;
  }
  const std::vector<uint8_t>& image = parts.tables == jpegTables_ ? parts.image : parts.withTables;
  writeTag(enc::TagJpegImage, enc::jpegImageBody(id, image), form, true);
}

std::vector<uint8_t> compileSource(const std::string& text, const std::string& baseDir) {
  MovieCompiler compiler(baseDir);
  return compiler.compileAll(parseStatements(text));
}

}  // namespace lmr::lmrc
