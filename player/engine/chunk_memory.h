// Where block pools get their chunks: fixed-address memory from the
// platform seam (global memory on Win32, the C heap natively). Tests can
// make the n-th and every later chunk fail, so the out-of-memory paths are
// exercised, and can count chunk requests.
#pragma once

#include <cstddef>

#include "player/platform/platform.h"

namespace lmr {

// Both return false / do nothing when no memory can be had.
bool allocChunk(size_t bytes, ChunkMemory& out);
void freeChunk(ChunkMemory& chunk);

// Test seam. After setChunkFailAfter(n), the next n chunk requests succeed
// and every later one fails; -1 (the default) lets all succeed.
void setChunkFailAfter(long n);
// Chunk requests made so far, successful or not.
long chunkRequestCount();

}  // namespace lmr
