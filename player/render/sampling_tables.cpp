#include "player/render/sampling_tables.h"

#include "player/render/fill_samplers.h"

namespace lmr {

// The weight and square tables are compile-time constants: nothing is left
// to build at run time, and every context shares them.
void InitSamplingTables() {}

}  // namespace lmr
