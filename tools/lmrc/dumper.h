// Prints a movie as source text: named tags, decoded shapes, buttons,
// actions, fonts and texts. Every tag's text is compiled back on the spot
// and compared with the stored bytes; a tag whose text would not give the
// same bytes is printed as raw bytes instead, so compiling a dump always
// gives back the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lmr::lmrc {

// Throws MovieFormatError (movie_decoder.h) for a wrong signature or a
// file that ends early.
std::string dumpMovie(const std::vector<uint8_t>& file);

}  // namespace lmr::lmrc
