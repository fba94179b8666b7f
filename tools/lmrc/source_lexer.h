// Splits movie source text into statements: one per line (or per ';'),
// each a list of tokens and, when it ends with '{', a block of statements
// up to the matching '}'.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lmr::lmrc {

// A fault in the source, at a line (0 when no line applies).
struct SourceError : std::runtime_error {
  int line;
  SourceError(int at, const std::string& message) : std::runtime_error(message), line(at) {}
};

struct Token {
  enum Kind { Word, Number, String, Color, Data } kind = Word;
  std::string text;           // Word, Number: as written; String: the bytes meant
  std::vector<uint8_t> data;  // Data: the bytes of <hex digits>
  uint32_t color = 0;         // Color: 0xRRGGBB
  int line = 0;
};

struct Statement {
  int line = 0;
  std::vector<Token> tokens;  // never empty
  bool hasBlock = false;
  std::vector<Statement> block;
};

// Throws SourceError.
std::vector<Statement> parseStatements(const std::string& text);

// How a token reads in messages: a word or number as written, a string quoted.
std::string describe(const Token& token);

}  // namespace lmr::lmrc
