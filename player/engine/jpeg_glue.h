// The movie's side of JPEG bitmaps: one libjpeg decompressor per movie,
// made by the first setup tag since a rewind, the movie's shared tables
// that every image starts from, and the bitmap characters that image tags
// define. An image is decoded the first time a fill shows it (decodeBitmap,
// declared for the renderer in player/render/bitmap_decode.h and defined
// here) into a 5-5-5 BitmapImage that stays with its character; tables an
// image carries itself apply to that image alone.
#pragma once

#include <cstdint>

namespace lmr {

struct Movie;

// Images larger than this many pixels are refused (they get no pixels), so
// a hostile header cannot make the decoder commit the machine's memory:
// 16 Mpixel are 32 MiB of 5-5-5 pixels.
constexpr int64_t MaxJpegPixels = int64_t{16} << 20;

// The setup tag: makes the decoder when there is none and reads the shared
// tables from the current tag body. A second setup tag is ignored (the
// first since the last rewind wins). Without memory there is no decoder.
void setupJpeg(Movie& movie);
// The image tag, in the short or the long form: with a decoder, adds a
// bitmap character with an empty image. Its body offset is just after the
// 16-bit tag header (the long form's length field, the short form's id);
// the JPEG data runs from after the id to the tag end, kept in dataEnd.
// Without a decoder the tag defines nothing.
void defineJpegImage(Movie& movie);
// Destroys the decoder, if any (rewind, reset).
void destroyJpeg(Movie& movie);

}  // namespace lmr
