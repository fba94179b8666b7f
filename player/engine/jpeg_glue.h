// The movie's side of JPEG bitmaps: one decoder per movie, made by the
// first setup tag since a rewind, and the bitmap characters that image
// tags define. Images are decoded on first use by the renderer.
#pragma once

namespace lmr {

struct Movie;

// The setup tag: makes the decoder when there is none and reads the shared
// tables from the current tag body. A second setup tag is ignored.
void setupJpeg(Movie& movie);
// The image tag: with a decoder, adds a bitmap character (empty image)
// whose body offset is the tag's 32-bit length field; without one, or for
// a tag not in the long form, defines nothing.
void defineJpegImage(Movie& movie);
// Destroys the decoder, if any (rewind, reset).
void destroyJpeg(Movie& movie);

}  // namespace lmr
