// Helpers shared by the lmrc tests: files, compiling and dumping in memory.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/lmrc/dumper.h"
#include "tools/lmrc/movie_decoder.h"
#include "tools/lmrc/source_compiler.h"

namespace lmr::lmrc::testing {

inline std::string corpusDir() { return std::string(LMR_SOURCE_DIR) + "/tools/lmrc/tests/corpus"; }

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> compileText(const std::string& text, const std::string& baseDir = ".") {
  return compileSource(text, baseDir);
}

// The body of the first tag with this code, or none.
inline const StoredTag* findTag(const StoredMovie& m, uint32_t code) {
  for (const StoredTag& t : m.tags) {
    if (t.code == code) return &t;
  }
  return nullptr;
}

}  // namespace lmr::lmrc::testing
