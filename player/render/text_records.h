// Drawing records of text characters: every glyph's outline walked as a
// shape under the text's matrices, with one fill per colour change.
#pragma once

#include <cstdint>

namespace lmr {

struct DisplayObject;

// Glyphs drawn per text; entries past this many are not drawn. Every glyph
// walks its whole outline and an entry may take no body bits at all, so
// without a cap a few bytes of text could repeat one large outline without
// end. Far more than any text a movie shows.
constexpr int32_t MaxTextGlyphs = 4096;

// Builds the edge and fill records of a placed text.
void BuildTextRecords(DisplayObject& object);

}  // namespace lmr
