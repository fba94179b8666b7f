// The 32-bit image and the 32-bit layout of the records the core keeps.
// Browsers that load our plug-ins are 32-bit processes; these records fill
// the block pools, whose chunk sizes were chosen for these figures, so a
// changed figure is a changed memory budget: update it knowingly.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "player/engine/block_pool.h"
#include "player/engine/character_record.h"
#include "player/engine/display_object.h"
#include "player/engine/records.h"
#include "player/render/coverage_runs.h"
#include "player/render/edge.h"
#include "player/render/edge_stepper.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"

namespace lmr {
namespace {

static_assert(sizeof(void*) == 4, "the smoke program is built for 32-bit Windows only");
static_assert(sizeof(uintptr_t) == 4 && sizeof(size_t) == 4, "32-bit addresses and sizes");

TEST(Win32Image, ProgramIsAnI386Image) {
  const auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
  ASSERT_NE(base, nullptr);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
}

struct RecordLayout {
  const char* name;
  size_t size;
  size_t align;
  size_t expectedSize;
  size_t expectedAlign;
};

TEST(Win32Layout, RecordsHaveTheir32BitSizes) {
  const RecordLayout records[] = {
      // Read from movie files: the same on every architecture.
      {"Rect", sizeof(Rect), alignof(Rect), 16, 4},
      {"Matrix", sizeof(Matrix), alignof(Matrix), 24, 4},
      // Pool blocks: pointers take 4 bytes here.
      {"CharacterRecord", sizeof(CharacterRecord), alignof(CharacterRecord), 64, 4},
      {"DisplayObject", sizeof(DisplayObject), alignof(DisplayObject), 96, 4},
      {"Edge", sizeof(Edge), alignof(Edge), 32, 4},
      {"FillStyle", sizeof(FillStyle), alignof(FillStyle), 220, 4},
      {"CoverageRun", sizeof(CoverageRun), alignof(CoverageRun), 36, 4},
      // 64-bit fields: 8-byte alignment even with 4-byte pointers.
      {"ActiveEdge", sizeof(ActiveEdge), alignof(ActiveEdge), 96, 8},
      {"Offscreen", sizeof(Offscreen), alignof(Offscreen), 44, 4},
  };
  for (const RecordLayout& r : records) {
    EXPECT_EQ(r.size, r.expectedSize) << r.name;
    EXPECT_EQ(r.align, r.expectedAlign) << r.name;
  }
}

// Pool blocks must suit every record, also those with 64-bit fields, though
// the slot header (a chunk pointer) is only 4 bytes here: blocks from
// several chunks are aligned for the strictest record and never overlap.
TEST(Win32Layout, PoolBlocksSuitTheStrictestRecord) {
  const size_t sizes[] = {1, 4, 12, sizeof(Edge), sizeof(ActiveEdge), sizeof(CharacterRecord)};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    BlockPool pool;
    pool.initPool(size, 5);
    std::vector<uintptr_t> blocks;
    for (int i = 0; i < 12; ++i) {  // three chunks
      void* block = pool.allocBlock();
      ASSERT_NE(block, nullptr);
      blocks.push_back(reinterpret_cast<uintptr_t>(block));
    }
    std::set<uintptr_t> sorted(blocks.begin(), blocks.end());
    ASSERT_EQ(sorted.size(), blocks.size());
    uintptr_t previous = 0;
    for (uintptr_t b : sorted) {
      EXPECT_EQ(b % alignof(ActiveEdge), 0u) << std::hex << b;
      if (previous) {
        EXPECT_GE(b - previous, size);
      }
      previous = b;
    }
    for (uintptr_t b : blocks) pool.freeBlock(reinterpret_cast<void*>(b));
  }
}

}  // namespace
}  // namespace lmr
