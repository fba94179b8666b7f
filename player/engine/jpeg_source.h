// libjpeg's two callback records as the movie's decoder uses them: a
// source manager that feeds the decompressor straight from the movie buffer
// in 512-byte blocks, and an error manager that never says anything and
// leaves a failing image through a non-local exit.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

#include "player/engine/stream_reader.h"

namespace lmr {

constexpr int32_t JpegInputBlockBytes = 512;

// The source: libjpeg's record first, so the decompressor's `src` pointer
// is also a pointer to this. `reader` walks the JPEG data of one tag; its
// limit is the tag end. Once that is used up, every further block is an
// end-of-image marker (FF D9), so truncated data ends an image cleanly
// instead of waiting for bytes that will never come.
struct MovieJpegSource {
  jpeg_source_mgr manager;
  StreamReader reader;
  JOCTET buffer[JpegInputBlockBytes];
};

// The error manager: libjpeg's record first. Warnings, traces and message
// texts are all dropped. error_exit must not return into libjpeg: it jumps
// to `exit`, which the glue sets (setjmp) around every libjpeg call.
struct SilentJpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf exit;
};

// Points info.src at the source, with an empty buffer and no data yet.
void installMovieSource(jpeg_decompress_struct& info, MovieJpegSource& source);
// Starts feeding the bytes of `reader` (from pos up to its limit), dropping
// whatever is left in the buffer from an earlier stream.
void feedMovieSource(MovieJpegSource& source, const StreamReader& reader);
// Fills in the five silent handlers, trace level 0, no message tables.
// Returns the record for info.err.
jpeg_error_mgr* installSilentErrors(SilentJpegErrors& errors);

}  // namespace lmr
