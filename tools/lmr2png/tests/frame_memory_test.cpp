// Rendering a frame again takes no memory once the pools have their
// chunks: no chunk requests and no heap allocation at all, in every format
// and quality. Heap allocations are counted through the sanitizer's
// allocation hooks, which see malloc, calloc and new alike.
#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>

#include "player/engine/chunk_memory.h"
#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/movie_loading.h"
#include "tools/lmr2png/tests/lmr2png_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define LMR2PNG_COUNT_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LMR2PNG_COUNT_HEAP 1
#endif
#endif

#ifdef LMR2PNG_COUNT_HEAP
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace lmr::lmr2png::test {
namespace {

bool counting = false;
long heapAllocations = 0;

#ifdef LMR2PNG_COUNT_HEAP
void countAllocation(const volatile void*, size_t) {
  if (counting) ++heapAllocations;
}
void ignoreFree(const volatile void*) {}

bool installHeapCounter() {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
  return installed;
}
#else
bool installHeapCounter() { return false; }
#endif

// Solid fills, a curved outline and a line that crosses the picture.
Bytes busyMovie() {
  return compileMovie(
      "movie rect 0 40px 0 30px rate 12\nbackground #203040\n" + rectangleShape(1, "#ff0000", -400, -400, 500, 300) +
      "shape 2 { fill solid #00ff00; fill solid #0000ff; line 3px #ffff00\n"
      "  moveto 100 100 fill0 1 line 1; curveto 400 -300 700 100; lineto 700 500; style fill0 2\n"
      "  curveto 400 900 100 500; close }\n"
      "place 1 1\nplace 2 2\nframe\n");
}

TEST(FrameMemory, LaterFramesAllocateNothing) {
  if (!installHeapCounter()) GTEST_SKIP() << "heap allocations are counted only under AddressSanitizer";
  const Bytes movie = busyMovie();
  for (int32_t format = 0; format < FormatCount; ++format) {
    for (Quality quality : {Quality::Low, Quality::High, Quality::Best}) {
      SCOPED_TRACE("format " + std::to_string(format) + " quality " + std::to_string(static_cast<int>(quality)));
      MovieStage stage;
      std::istringstream in(std::string(movie.begin(), movie.end()));
      ASSERT_EQ(loadMovie(stage, in, 0).state, LoadState::FrameReached);
      ASSERT_TRUE(stage.makeOffscreen(format, 40, 30, false));
      applyFrameView(stage, 40, 30, quality, ScaleShowAll);
      stage.list.render();  // builds the drawing records, the pools get their chunks

      const long chunks = chunkRequestCount();
      heapAllocations = 0;
      counting = true;
      for (int i = 0; i < 2; ++i) {
        stage.list.invalidateAll();
        stage.list.render();
      }
      counting = false;
      EXPECT_EQ(chunkRequestCount(), chunks);
      EXPECT_EQ(heapAllocations, 0);
    }
  }
}

}  // namespace
}  // namespace lmr::lmr2png::test
