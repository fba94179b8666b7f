#include "player/engine/chunk_memory.h"

namespace lmr {

namespace {
long failAfter = -1;
long requests = 0;
}  // namespace

void setChunkFailAfter(long n) { failAfter = n; }
long chunkRequestCount() { return requests; }

bool allocChunk(size_t bytes, ChunkMemory& out) {
  ++requests;
  if (failAfter == 0) return false;
  if (failAfter > 0) --failAfter;
  return platformAllocChunk(bytes, out);
}

void freeChunk(ChunkMemory& chunk) { platformFreeChunk(chunk); }

}  // namespace lmr
