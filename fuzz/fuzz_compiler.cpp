// Movie source text in, movie bytes out, all in memory. A fault in the
// source must come back as SourceError; anything else (a crash, another
// exception, a hang, memory without bound) is a fault of the compiler.
//
// Statements that import files (fonts and pictures from files) are left
// out: the fuzzer would otherwise name device files and paths outside the
// sandbox. Fonts written as glyph blocks stay in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/lmrc/source_compiler.h"
#include "tools/lmrc/source_lexer.h"

namespace {

bool ImportsFile(const lmr::lmrc::Statement& s) {
  const std::string& word = s.tokens.front().text;
  if (word == "jpeg") return true;
  if (word != "font" || s.hasBlock) return false;
  for (const lmr::lmrc::Token& t : s.tokens) {
    if (t.kind == lmr::lmrc::Token::String) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    std::vector<lmr::lmrc::Statement> statements = lmr::lmrc::parseStatements(text);
    std::vector<lmr::lmrc::Statement> kept;
    for (lmr::lmrc::Statement& s : statements) {
      if (!ImportsFile(s)) kept.push_back(std::move(s));
    }
    lmr::lmrc::MovieCompiler compiler("/nonexistent");
    compiler.compileAll(kept);
  } catch (const lmr::lmrc::SourceError&) {
  }
  return 0;
}
