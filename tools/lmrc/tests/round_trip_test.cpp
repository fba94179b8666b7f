// Dumping a movie and compiling the dump gives the same bytes, for the
// corpus sources, for movies built with unusual encodings, and for
// mutated movies; broken files are refused with a clear message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/font_import.h"
#include "tools/lmrc/lib/shape_encoder.h"
#include "tools/lmrc/lib/tag_bodies.h"
#include "tools/lmrc/tests/test_support.h"

namespace lmr::lmrc {
namespace {

using namespace lmr::enc;
using testing::compileText;

std::vector<std::string> corpusFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(testing::corpusDir(), error)) {
    if (entry.path().extension() == ".lms") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Compiles a corpus source; false when it needs what this build lacks
// (font import without FreeType).
bool compileCorpus(const std::string& file, std::vector<uint8_t>& movie) {
  std::vector<uint8_t> text = testing::readBytes(file);
  try {
    movie = compileText(std::string(text.begin(), text.end()), testing::corpusDir());
  } catch (const SourceError& e) {
    if (!fontImportAvailable() && std::string(e.what()).find("without FreeType") != std::string::npos) return false;
    ADD_FAILURE() << file << ":" << e.line << ": " << e.what();
    return false;
  }
  return true;
}

// Dump, compile the dump: the same bytes; dumping again: the same text.
void expectRoundTrip(const std::vector<uint8_t>& movie, const std::string& label) {
  std::string dump = dumpMovie(movie);
  std::vector<uint8_t> again;
  try {
    again = compileText(dump);
  } catch (const SourceError& e) {
    FAIL() << label << ": the dump does not compile: line " << e.line << ": " << e.what() << "\n" << dump;
  }
  EXPECT_EQ(again, movie) << label << ": the dump compiles to other bytes\n" << dump;
  EXPECT_EQ(dumpMovie(again), dump) << label;
}

TEST(RoundTrip, CorpusSourcesCompileDumpAndCompileAgain) {
  std::vector<std::string> files = corpusFiles();
#ifdef _WIN32
  if (files.empty()) GTEST_SKIP() << "corpus not reachable from this process";
#endif
  ASSERT_GE(files.size(), 3u) << "corpus not found in " << testing::corpusDir();
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    std::vector<uint8_t> movie;
    if (!compileCorpus(file, movie)) continue;
    std::string dump = dumpMovie(movie);
    // The readable forms are used, not raw bytes, for everything the corpus writes.
    EXPECT_EQ(dump.find("\ntag 2 "), std::string::npos) << dump;
    EXPECT_EQ(dump.find("\ntag 7 "), std::string::npos) << dump;
    EXPECT_EQ(dump.find("\ntag 11 "), std::string::npos) << dump;
    expectRoundTrip(movie, file);
  }
}

std::vector<uint8_t> movieOf(const std::vector<std::vector<uint8_t>>& tags, MovieHeader header = MovieHeader()) {
  std::vector<uint8_t> stream;
  for (const auto& t : tags) stream.insert(stream.end(), t.begin(), t.end());
  return buildMovie(header, stream);
}

std::vector<uint8_t> tag(uint32_t code, const std::vector<uint8_t>& body, bool longForm = false) {
  BitWriter w;
  writeTag(w, code, body, longForm);
  return w.bytes;
}

ShapeBody squareWith(int edgeBitsWanted, int moveBitsWanted) {
  ShapeBody b;
  b.fills.push_back(FillStyleDef{});
  ShapeRecord move;
  move.kind = ShapeRecord::Change;
  move.flags = StyleMove | StyleFill0 | StyleSpare;
  move.moveX = 10;
  move.moveY = -10;
  move.moveBits = moveBitsWanted;
  move.fill0 = 1;
  b.records.push_back(move);
  for (auto [dx, dy] : {std::pair{100, 0}, {0, 100}, {-100, 0}, {0, -100}}) {
    ShapeRecord e;
    e.dx = dx;
    e.dy = dy;
    e.bits = edgeBitsWanted;
    b.records.push_back(e);
  }
  return b;
}

struct EncodedCase {
  const char* name;
  std::vector<uint8_t> movie;
  const char* readableAs;  // text the dump must hold: the tag is not kept as bytes
};

std::vector<EncodedCase> encodedCases() {
  std::vector<EncodedCase> cases;
  ShapeBody wide = squareWith(17, 31);
  wide.fillBits = 15;
  wide.lineBits = 9;
  cases.push_back({"widest edge, move and index widths", movieOf({tag(TagShape, shapeBody(1, Rect{0, 200, 0, 200}, 30, wide))}),
                   "fillbits 15"});

  ShapeBody forms;
  forms.fills.push_back(FillStyleDef{});
  for (LineForm f : {LineForm::General, LineForm::Vertical, LineForm::Horizontal}) {
    ShapeRecord e;
    e.form = f;  // a zero-length edge in each of the three straight forms
    forms.records.push_back(e);
  }
  ShapeRecord curve;
  curve.kind = ShapeRecord::Curve;
  curve.cdx = 5;
  curve.bits = 12;
  forms.records.push_back(curve);
  cases.push_back({"straight edge forms and a wide curve", movieOf({tag(TagShape, shapeBody(2, Rect{0, 0, 0, 0}, -1, forms))}),
                   "lineto 0 0 general"});

  CodedMatrix identityWide;
  identityWide.coding = MatrixCoding{31, 0, 20};
  CodedMatrix rotated;
  rotated.m = Matrix{0, FixedOne, -FixedOne, 0, -7, 9};
  cases.push_back({"matrix parts present with identity values and wide",
                   movieOf({tag(TagPlace, placeBody(1, 1, identityWide)), tag(TagPlace, placeBody(1, 2, rotated))}),
                   "scalebits 31 rotatebits 0 translatebits 20"});

  MovieHeader header;
  header.rectWidth = 31;
  header.frameCount = 9;
  header.version = 200;
  header.rate = 0x1234;
  cases.push_back({"header: wide rectangle, odd rate, stated frame count",
                   movieOf({tag(TagFrame, {}), tag(TagEnd, {})}, header), "frames 9"});

  cases.push_back({"long headers on short bodies, short image header",
                   movieOf({tag(TagFrame, {}, true), tag(TagBackground, {1, 2, 3}, true),
                            tag(TagJpegImage, {7, 0, 0xFF, 0xD8}, false), tag(TagEnd, {}, true)}),
                   "jpegimage 7 short"});

  std::vector<Action> actions{{0x01, {}}, {0x7F, {}}, {0xFE, {1, 2, 3}}, {ActJumpToFrame, {1}},
                              {ActOpenUrl, {'a', 0}}, {ActOpenUrl, {'a', 0, 'b', 0, 'c'}}, {0x80, {}}};
  cases.push_back({"unknown actions and known codes with odd bodies",
                   movieOf({tag(TagActions, actionListBody(actions))}), "action 0xfe <010203>"});

  cases.push_back({"unknown tags of every size class",
                   movieOf({tag(14, {1, 2, 3, 4, 5}), tag(1023, std::vector<uint8_t>(300, 0xAB)), tag(500, {}, true)}),
                   "tag 1023"});

  TextBody text;
  text.glyphBits = 16;
  text.advanceBits = 20;
  TextRecord r;
  r.flags = TextFont | TextColor | TextX | TextY | 0x80;
  r.fontId = 3;
  r.height = 100;
  r.x = -32768;
  r.y = 32767;
  r.glyphs = {{0, -5}, {2, 70000}};
  text.records.push_back(r);
  FontFace face;
  face.name = "two\x01" "byte";
  face.flags = FaceTwoByteCodes | 0x28;
  face.codes = {0x41, 0x20AC, 0x42};
  cases.push_back({"wide text fields, two-byte codes, spare face flags",
                   movieOf({tag(TagFontFace, fontFaceBody(3, face)), tag(TagText, textBody(4, Rect{0, 1, 0, 1}, 20, text))}),
                   "\"AB\" advances -5 70000"});

  FontBody font;
  font.glyphs.push_back(squareWith(-1, -1));
  font.glyphs[0].hasStyles = false;
  font.glyphs.push_back(ShapeBody{false, {}, {}, 3, 2, {}});
  cases.push_back({"font glyphs with index widths", movieOf({tag(TagFont, fontBody(9, font))}), "glyph {"});

  ButtonBody button;
  button.records.push_back(ButtonRecord{0xF1, 1, 65535, identityWide});
  button.actions.push_back(Action{ActStartPlaying, {}});
  cases.push_back({"button record with spare state bits", movieOf({tag(TagButton, buttonBody(5, button))}),
                   "state 0xf1 1 65535"});

  MovieHeader noEnd;
  cases.push_back({"no end tag", movieOf({tag(TagFrame, {})}, noEnd), "noend"});

  std::vector<uint8_t> trailing = movieOf({tag(TagEnd, {})});
  trailing.push_back(0x05);  // a lone byte after the end tag
  uint32_t length = static_cast<uint32_t>(trailing.size());
  for (int i = 0; i < 4; ++i) trailing[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  cases.push_back({"a byte after the end tag", trailing, "bytes <05>"});

  MovieHeader shortDeclared;
  shortDeclared.declaredLength = 10;
  cases.push_back({"declared length below the file size", movieOf({tag(TagEnd, {})}, shortDeclared), "length 10"});
  return cases;
}

TEST(RoundTrip, UnusualEncodingsDumpReadablyAndCompileBack) {
  for (const EncodedCase& c : encodedCases()) {
    SCOPED_TRACE(c.name);
    std::string dump = dumpMovie(c.movie);
    EXPECT_NE(dump.find(c.readableAs), std::string::npos) << dump;
    expectRoundTrip(c.movie, c.name);
  }
}

// Bodies that decode but would not encode back the same way stay bytes.
TEST(RoundTrip, BodiesThatDoNotReEncodeStayRawBytes) {
  std::vector<uint8_t> shape = shapeBody(1, Rect{0, 1, 0, 1}, -1, squareWith(-1, -1));
  std::vector<uint8_t> padded = shape;
  padded.at(padded.size() - 1) |= 0x01;  // a set padding bit after the end record
  std::vector<uint8_t> extra = shape;
  extra.push_back(0);  // a byte after the shape
  std::vector<uint8_t> place = placeBody(1, 1, CodedMatrix{});
  place.at(place.size() - 1) |= 0x01;
  std::vector<uint8_t> fontGap = fontBody(2, FontBody{{ShapeBody{false, {}, {}, -1, -1, {}}}});
  fontGap[2] = 4;  // offset table says 2 glyphs, but holds 1 entry
  struct Case {
    const char* name;
    uint32_t code;
    std::vector<uint8_t> body;
  } cases[] = {
      {"padding bit set after the end record", TagShape, padded},
      {"byte after the shape records", TagShape, extra},
      {"padding bit after a matrix", TagPlace, place},
      {"button without an action list", TagButton, {1, 0, 1, 1, 0, 1, 0, 0, 0}},
      {"action list without its end", TagActions, {0x06, 0x07}},
      {"action body longer than the tag", TagActions, {0x99, 10, 0, 1}},
      {"font offsets pointing past the glyphs", TagFont, fontGap},
      {"background with 4 bytes", TagBackground, {1, 2, 3, 4}},
      {"frame with a body", TagFrame, {0}},
      {"text without its end record", TagText, {1, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> movie = movieOf({tag(c.code, c.body)});
    std::string dump = dumpMovie(movie);
    EXPECT_NE(dump.find("tag " + std::to_string(c.code)), std::string::npos) << dump;
    expectRoundTrip(movie, c.name);
  }
}

// Seeded byte mutations of the corpus movies: the dumper never crashes
// (ASan watches) and what it prints compiles back to the mutated bytes.
TEST(RoundTrip, MutatedMoviesDumpExactlyOrAreRefused) {
  std::mt19937 random(20240611);
  int dumped = 0, refused = 0;
  for (const std::string& file : corpusFiles()) {
    std::vector<uint8_t> movie;
    if (!compileCorpus(file, movie)) continue;
    for (int round = 0; round < 60; ++round) {
      std::vector<uint8_t> m = movie;
      int flips = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < flips; ++i) {
        size_t at = 8 + random() % (m.size() - 8);
        m[at] = static_cast<uint8_t>(random());
      }
      if (round % 10 == 0) m.resize(8 + random() % (m.size() - 8));  // cut off as well
      try {
        std::string dump = dumpMovie(m);
        ++dumped;
        std::vector<uint8_t> again = compileText(dump);
        ASSERT_EQ(again, m) << file << " round " << round << "\n" << dump;
      } catch (const MovieFormatError&) {
        ++refused;
      }
    }
  }
  EXPECT_GT(dumped, 0);
  EXPECT_GT(refused, 0);
}

TEST(RoundTrip, BrokenFilesAreRefusedWithAMessage) {
  std::vector<uint8_t> good = movieOf({tag(TagBackground, {1, 2, 3}), tag(14, std::vector<uint8_t>(100, 1)), tag(TagEnd, {})});
  auto cut = [&](size_t n) {
    std::vector<uint8_t> m(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    for (int i = 0; i < 4; ++i) m[4 + i] = static_cast<uint8_t>(n >> (8 * i));  // consistent header
    return m;
  };
  std::vector<uint8_t> wrongSignature = good;
  wrongSignature[2] = 'W';
  std::vector<uint8_t> shortOfDeclared = good;
  shortOfDeclared.resize(good.size() - 1);
  // The frame rectangle's last byte holds padding bits after its 4 fields.
  std::vector<uint8_t> paddedRect = good;
  const size_t rectBytes = (5 + 4 * (paddedRect[8] >> 3) + 7) / 8;
  paddedRect[8 + rectBytes - 1] |= 1;
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    const char* message;
  } cases[] = {
      {"wrong signature", wrongSignature, "signature \"LMV\""},
      {"empty file", {}, "signature"},
      {"inside the 8-byte header", std::vector<uint8_t>(good.begin(), good.begin() + 6), "ends early: inside its 8-byte header"},
      {"shorter than declared", shortOfDeclared, "declares"},
      {"inside the frame rectangle", cut(9), "frame rectangle"},
      {"padding bits set in the frame rectangle", paddedRect, "padding bits set"},
      {"inside a tag header", cut(22), "inside the header"},
      {"inside a long tag header", cut(28), "inside the long header"},
      {"inside a tag body", cut(40), "inside the body"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      dumpMovie(c.file);
      ADD_FAILURE() << "accepted";
    } catch (const MovieFormatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace lmr::lmrc
