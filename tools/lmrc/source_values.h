// Reads the arguments of one statement: numbers in movie units (with the
// pixel unit "px", 20 movie units), 16.16 and 8.8 decimals, colours,
// strings, bytes and matrix options, with messages that name what was
// expected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/engine/records.h"
#include "tools/lmrc/lib/movie_model.h"
#include "tools/lmrc/source_lexer.h"

namespace lmr::lmrc {

constexpr int64_t UnitsPerPixel = 20;

class Args {
 public:
  Args(const Statement& statement, size_t from) : s_(statement), at_(from) {}

  int line() const { return s_.line; }
  bool done() const { return at_ >= s_.tokens.size(); }
  const Token& peek() const { return s_.tokens[at_]; }
  bool peekKind(Token::Kind kind) const { return !done() && peek().kind == kind; }
  bool takeWord(const char* word);
  std::string word(const char* what);
  const Token& next(const char* what);

  int64_t integer(const char* what, int64_t lo, int64_t hi);
  // Movie units; "12px" is 240.
  int64_t units(const char* what, int64_t lo, int64_t hi);
  Fixed fixed(const char* what);
  double decimal(const char* what);
  Rgb color(const char* what);
  std::string string(const char* what);
  std::vector<uint8_t> data(const char* what);
  Rect rect(const char* what);

  // The token just read, for messages.
  [[noreturn]] void fail(const std::string& message) const;
  // An unknown option at the next token.
  [[noreturn]] void unknown(const char* context);
  void expectDone(const char* context);

 private:
  const Statement& s_;
  size_t at_;
  int lastLine() const;
};

// The matrix options of a statement: translate X Y, scale S [S2], rotate
// DEGREES, matrix A B C D TX TY (raw coefficients), and the width choices
// scalebits, rotatebits, translatebits.
struct MatrixSpec {
  double scaleX = 1, scaleY = 1, degrees = 0;
  int64_t tx = 0, ty = 0;
  bool raw = false, composed = false;
  Matrix rawMatrix;
  enc::MatrixCoding coding;
};

// Takes one matrix option when the next word is one; false otherwise.
bool takeMatrixOption(Args& args, MatrixSpec& matrixWords);
// Throws when a given width cannot hold the values.
enc::CodedMatrix resolveMatrix(const MatrixSpec& matrixWords, int line);

// Decodes UTF-8 into character codes; throws on malformed text.
std::vector<uint32_t> decodeUtf8(const std::string& text, int line);

// Exact text for values that the dumper writes and the parser reads back.
std::string fixedText(Fixed v);
std::string rateText(uint32_t rate88);
std::string colorText(const Rgb& c);
std::string quoted(const std::string& bytes);
// Codes as a string, non-ASCII and control codes as \u{...}.
std::string quotedCodes(const std::vector<uint32_t>& codes);
std::string dataText(const std::vector<uint8_t>& bytes, const std::string& indent);

}  // namespace lmr::lmrc
