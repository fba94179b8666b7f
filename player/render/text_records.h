// Drawing records of text characters: every glyph's outline walked as a
// shape under the text's matrices, with one fill per colour change.
#pragma once

namespace lmr {

struct DisplayObject;

// Builds the edge and fill records of a placed text.
void BuildTextRecords(DisplayObject& object);

}  // namespace lmr
