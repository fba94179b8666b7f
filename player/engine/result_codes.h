// Result codes of the movie engine: what stepTag and seekFrame report.
// Negative values are failures that stay until the movie is reset.
#pragma once

#include <cstdint>

namespace lmr {

constexpr int32_t ResultNoData = -3;       // no file buffer yet: the header has not arrived
constexpr int32_t ResultOutOfMemory = -2;  // the file buffer could not be had
constexpr int32_t ResultBadMagic = -1;     // not a movie: wrong signature or impossible length
constexpr int32_t ResultOk = 0;            // the tag ran, or the wanted frame is reached
constexpr int32_t ResultNeedData = 1;      // the next tag (or the header) is not complete yet
constexpr int32_t ResultEnded = 2;         // the end tag has run

}  // namespace lmr
