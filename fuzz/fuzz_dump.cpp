// The dumper on arbitrary bytes: it either prints source or refuses the
// file with MovieFormatError; anything else (a crash, another exception, a
// hang) is a fault. What it prints must compile back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/lmrc/dumper.h"
#include "tools/lmrc/movie_decoder.h"
#include "tools/lmrc/source_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  std::string source;
  try {
    source = lmr::lmrc::dumpMovie(file);
  } catch (const lmr::lmrc::MovieFormatError&) {
    return 0;
  }
  // The dump is exact: compiling it gives the file back.
  if (lmr::lmrc::compileSource(source, ".") != file) std::abort();
  return 0;
}
