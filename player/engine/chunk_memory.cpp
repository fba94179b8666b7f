#include "player/engine/chunk_memory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

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
#ifdef _WIN32
  HGLOBAL handle = GlobalAlloc(GMEM_FIXED, bytes);
  if (!handle) return false;
  void* address = GlobalLock(handle);
  if (!address) {
    GlobalFree(handle);
    return false;
  }
  out.handle = handle;
  out.address = address;
#else
  void* address = std::malloc(bytes);
  if (!address) return false;
  out.handle = address;
  out.address = address;
#endif
  return true;
}

void freeChunk(ChunkMemory& chunk) {
  if (!chunk.handle) return;
#ifdef _WIN32
  GlobalUnlock(static_cast<HGLOBAL>(chunk.handle));
  GlobalFree(static_cast<HGLOBAL>(chunk.handle));
#else
  std::free(chunk.handle);
#endif
  chunk.handle = nullptr;
  chunk.address = nullptr;
}

}  // namespace lmr
