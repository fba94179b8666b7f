// Decoding a bitmap character's image the first time a fill shows it.
#pragma once

namespace lmr {

struct CharacterRecord;
struct Movie;

// Decodes the image of a bitmap character into its record unless it has
// pixels already; on failure the image stays without pixels.
void decodeBitmap(Movie& movie, CharacterRecord& character);

}  // namespace lmr
