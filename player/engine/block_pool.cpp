#include "player/engine/block_pool.h"

#include <cstring>

namespace lmr {

namespace {

// Slots hold a chunk pointer followed by the block; blocks stay aligned for
// any record of pointers and 32-bit fields.
constexpr size_t SlotAlign = alignof(void*) > 8 ? alignof(void*) : 8;

size_t headerSize() { return (sizeof(PoolChunk) + SlotAlign - 1) / SlotAlign * SlotAlign; }

// Free slots link through their block's first word.
void*& nextFree(void* slot) { return *reinterpret_cast<void**>(static_cast<char*>(slot) + SlotAlign); }

}  // namespace

void BlockPool::initPool(size_t blockSize, uint32_t perChunk) {
  destroyPool();
  if (blockSize < sizeof(void*)) blockSize = sizeof(void*);
  size_t slot = SlotAlign + (blockSize + SlotAlign - 1) / SlotAlign * SlotAlign;
  slotSize = static_cast<uint32_t>(slot);
  blocksPerChunk = perChunk > 0 ? perChunk : 1;
  nextChunkId = 0;
}

void* BlockPool::allocBlock() {
  if (slotSize == 0) return nullptr;
  if (currentChunk && !currentChunk->freeList) {
    currentChunk = nullptr;
    for (PoolChunk* c = firstChunk; c; c = c->next) {
      if (c->freeList) {
        currentChunk = c;
        break;
      }
    }
  }
  if (!currentChunk) {
    ChunkMemory memory;
    if (!allocChunk(headerSize() + size_t{slotSize} * blocksPerChunk, memory)) return nullptr;
    auto* chunk = static_cast<PoolChunk*>(memory.address);
    chunk->next = nullptr;
    chunk->previous = lastChunk;
    chunk->memory = memory;
    chunk->id = nextChunkId++;
    if (lastChunk) {
      lastChunk->next = chunk;
    } else {
      firstChunk = chunk;
    }
    lastChunk = chunk;
    // Thread the slots into the free list in address order.
    char* slots = static_cast<char*>(memory.address) + headerSize();
    chunk->freeList = slots;
    for (uint32_t i = 0; i < blocksPerChunk; ++i) {
      char* slot = slots + size_t{i} * slotSize;
      *reinterpret_cast<PoolChunk**>(slot) = chunk;
      nextFree(slot) = i + 1 < blocksPerChunk ? slot + slotSize : nullptr;
    }
    currentChunk = chunk;
  }
  void* slot = currentChunk->freeList;
  currentChunk->freeList = nextFree(slot);
  return static_cast<char*>(slot) + SlotAlign;
}

void BlockPool::freeBlock(void* block) {
  if (!block) return;
  char* slot = static_cast<char*>(block) - SlotAlign;
  PoolChunk* chunk = *reinterpret_cast<PoolChunk**>(slot);
  nextFree(slot) = chunk->freeList;
  chunk->freeList = slot;
  if (!currentChunk || chunk->id < currentChunk->id) currentChunk = chunk;
}

void BlockPool::destroyPool() {
  PoolChunk* c = firstChunk;
  while (c) {
    PoolChunk* next = c->next;
    ChunkMemory memory = c->memory;
    freeChunk(memory);
    c = next;
  }
  firstChunk = lastChunk = currentChunk = nullptr;
  nextChunkId = 0;
}

}  // namespace lmr
