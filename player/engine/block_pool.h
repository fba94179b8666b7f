// Fixed-size blocks carved from large chunks and recycled through per-chunk
// free lists. Records that come and go every frame (character records,
// display objects, drawing records, active edges, coverage runs) live here,
// so steady playing makes no heap calls once the chunks exist.
//
// Each slot is the pointer to its chunk followed by the block the user
// sees; a free block holds the next free slot in its first word. Chunks are
// kept until destroyPool, and allocation prefers the oldest chunk with room.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/engine/chunk_memory.h"

namespace lmr {

struct PoolChunk;

struct BlockPool {
  uint32_t slotSize = 0;  // block size plus one chunk pointer
  uint32_t blocksPerChunk = 0;
  uint16_t nextChunkId = 0;
  PoolChunk* firstChunk = nullptr;
  PoolChunk* lastChunk = nullptr;
  PoolChunk* currentChunk = nullptr;

  BlockPool() = default;
  BlockPool(const BlockPool&) = delete;
  BlockPool& operator=(const BlockPool&) = delete;
  ~BlockPool() { destroyPool(); }

  void initPool(size_t blockSize, uint32_t blocksPerChunk);
  // A block of the pool's size, contents undefined; none without memory.
  void* allocBlock();
  void freeBlock(void* block);
  // Releases every chunk, whatever is still in use; the pool is empty again.
  void destroyPool();

  // Typed helpers for records kept in pools.
  template <typename T>
  T* alloc() {
    return static_cast<T*>(allocBlock());
  }
};

struct PoolChunk {
  PoolChunk* next;
  PoolChunk* previous;
  void* freeList;  // first free slot, or none
  ChunkMemory memory;
  uint16_t id;
};

}  // namespace lmr
