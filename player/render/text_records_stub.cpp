// STUB, to be replaced by the text renderer: texts get no drawing records
// until it lands.
#include "player/render/text_records.h"

namespace lmr {

void BuildTextRecords(DisplayObject&) {}

}  // namespace lmr
