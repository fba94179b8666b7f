// Renders the benchmark scene with our renderer and with cairo in one
// process, alternating between them batch by batch, and prints the median
// time of each and their ratios. Before timing, both full frames are
// compared pixel by pixel so that both really drew the same picture.
//
// Usage: render_bench [--counts N,N,...] [--batches B] [--png DIR] [--profile JOB]
//   --png DIR      also write each renderer's full frame as a PNG into DIR
//   --profile JOB  no timing: run one job (ours-cached, ours-cold,
//                  ours-area, cairo-fast, cairo-fast-area) 20 times at the
//                  first count, for an instruction-counting profiler

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench/cairo_renderer.h"
#include "bench/our_renderer.h"
#include "bench/scene.h"
#include "tools/png/png_file.h"

namespace lmr::bench {

namespace {

constexpr uint32_t SceneSeed = 0x5EED1234u;
// Our edges are stepped so that every crossing is within half a raster
// unit (an eighth of a pixel) of the exact curve: cairo flattens to that.
constexpr double FlatteningTolerance = 0.125;
constexpr int32_t AreaX = 240, AreaY = 160;  // the 64 x 64 changed area
constexpr double MinBatchSeconds = 0.03;

// CPU time of this thread: the machine is shared with builds, and wall
// time would count the time other processes had the core.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double Seconds(const std::function<void()>& work, int reps) {
  const double start = ThreadSeconds();
  for (int i = 0; i < reps; ++i) work();
  return ThreadSeconds() - start;
}

// One timed job: its work, repetitions per batch and per-call batch times.
struct Job {
  const char* name;
  std::function<void()> work;
  int reps = 1;
  std::vector<double> perCall;  // seconds

  Job(const char* jobName, std::function<void()> jobWork) : name(jobName), work(std::move(jobWork)) {}
  void calibrate() {
    work();  // warm-up: pools, tables and caches filled
    const double once = std::max(Seconds(work, 1), 1e-7);
    reps = std::max(1, static_cast<int>(MinBatchSeconds / once));
  }
  void batch() { perCall.push_back(Seconds(work, reps) / reps); }
  double median() const {
    std::vector<double> v = perCall;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }
};

struct Difference {
  double psnr;
  int maxDifference;
  double percentOver32;  // pixels with some channel off by more than 32
};

template <typename A, typename B>
Difference Compare(const A& a, const B& b) {
  double squares = 0;
  int maxDifference = 0;
  int64_t over = 0;
  for (int32_t y = 0; y < FrameHeight; ++y) {
    for (int32_t x = 0; x < FrameWidth; ++x) {
      const uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
      int worst = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = std::abs(static_cast<int>((p >> shift) & 255) - static_cast<int>((q >> shift) & 255));
        squares += d * d;
        worst = std::max(worst, d);
      }
      maxDifference = std::max(maxDifference, worst);
      if (worst > 32) ++over;
    }
  }
  const double mse = squares / (3.0 * FrameWidth * FrameHeight);
  return Difference{mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse), maxDifference,
                    100.0 * over / (FrameWidth * FrameHeight)};
}

template <typename R>
bool WritePng(const std::string& path, const R& renderer) {
  std::vector<uint8_t> rgb(size_t{FrameWidth} * FrameHeight * 3);
  uint8_t* out = rgb.data();
  for (int32_t y = 0; y < FrameHeight; ++y) {
    for (int32_t x = 0; x < FrameWidth; ++x, out += 3) {
      const uint32_t p = renderer.Pixel(x, y);
      out[0] = static_cast<uint8_t>(p >> 16);
      out[1] = static_cast<uint8_t>(p >> 8);
      out[2] = static_cast<uint8_t>(p);
    }
  }
  std::string ignored;
  return png::writeRgbPng(path, FrameWidth, FrameHeight, rgb, ignored);
}

struct Options {
  std::vector<int32_t> counts{50, 200, 1000};
  int batches = 9;
  std::string pngDir;
  std::string profile;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--counts" && i + 1 < argc) {
      options.counts.clear();
      for (const char* p = argv[++i]; *p;) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p || n < 1 || n > 100000) return false;
        options.counts.push_back(static_cast<int32_t>(n));
        p = *end == ',' ? end + 1 : end;
      }
    } else if (arg == "--batches" && i + 1 < argc) {
      options.batches = std::atoi(argv[++i]);
      if (options.batches < 1) return false;
    } else if (arg == "--profile" && i + 1 < argc) {
      options.profile = argv[++i];
    } else if (arg == "--png" && i + 1 < argc) {
      options.pngDir = argv[++i];
    } else {
      return false;
    }
  }
  return !options.counts.empty();
}

constexpr int ProfileRuns = 20;

int Profile(const Options& options) {
  const std::vector<SceneShape> scene = MakeScene(options.counts.front(), SceneSeed);
  OurRenderer ours(scene);
  CairoRenderer fast(scene, CAIRO_ANTIALIAS_FAST, FlatteningTolerance);
  const std::string& job = options.profile;
  for (int i = 0; i < ProfileRuns; ++i) {
    if (job == "ours-cached") {
      ours.RenderCached();
    } else if (job == "ours-cold") {
      ours.RenderCold();
    } else if (job == "ours-area") {
      ours.RenderArea(AreaX, AreaY);
    } else if (job == "cairo-fast") {
      fast.RenderFull();
    } else if (job == "cairo-fast-area") {
      fast.RenderArea(AreaX, AreaY);
    } else {
      std::fprintf(stderr, "render_bench: no job %s\n", job.c_str());
      return 2;
    }
  }
  return 0;
}

}  // namespace

int Main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: render_bench [--counts N,N,...] [--batches B] [--png DIR] [--profile JOB]\n");
    return 2;
  }
  if (!options.profile.empty()) return Profile(options);
  std::printf("Scene: closed shapes of %d quadratic segments in a %d x %d frame, seed %#x; %d batches, median\n",
              SegmentsPerShape, FrameWidth, FrameHeight, SceneSeed, options.batches);
  std::printf("Thread CPU microseconds per frame; cairo's tolerance %.3f px\n\n", FlatteningTolerance);
  std::printf("%6s %10s %10s %10s | %10s %10s | %10s %10s\n", "", "ours", "ours", "ours", "cairo fast", "cairo fast",
              "cairo def", "cairo def");
  std::printf("%6s %10s %10s %10s | %10s %10s | %10s %10s\n", "N", "cached", "cold", "64x64", "full", "64x64",
              "full", "64x64");
  std::vector<std::string> summary;
  for (int32_t count : options.counts) {
    const std::vector<SceneShape> scene = MakeScene(count, SceneSeed);
    OurRenderer ours(scene);
    CairoRenderer fast(scene, CAIRO_ANTIALIAS_FAST, FlatteningTolerance);
    CairoRenderer standard(scene, CAIRO_ANTIALIAS_DEFAULT, FlatteningTolerance);

    ours.RenderCached();
    fast.RenderFull();
    standard.RenderFull();
    const Difference toFast = Compare(ours, fast);
    const Difference toDefault = Compare(ours, standard);
    if (!options.pngDir.empty()) {
      const std::string stem = options.pngDir + "/scene-" + std::to_string(count);
      if (!WritePng(stem + "-ours.png", ours) || !WritePng(stem + "-cairo-fast.png", fast) ||
          !WritePng(stem + "-cairo-default.png", standard)) {
        std::fprintf(stderr, "render_bench: could not write PNGs to %s\n", options.pngDir.c_str());
        return 1;
      }
    }

    Job jobs[] = {
        {"ours cached", [&] { ours.RenderCached(); }},
        {"ours cold", [&] { ours.RenderCold(); }},
        {"ours 64x64", [&] { ours.RenderArea(AreaX, AreaY); }},
        {"cairo fast full", [&] { fast.RenderFull(); }},
        {"cairo fast 64x64", [&] { fast.RenderArea(AreaX, AreaY); }},
        {"cairo default full", [&] { standard.RenderFull(); }},
        {"cairo default 64x64", [&] { standard.RenderArea(AreaX, AreaY); }},
    };
    for (Job& job : jobs) job.calibrate();
    // Alternate: every round times each job once, so drifts of the machine
    // (other builds, frequency changes) fall on all of them alike.
    for (int b = 0; b < options.batches; ++b) {
      for (Job& job : jobs) job.batch();
    }
    double m[7];
    for (int i = 0; i < 7; ++i) m[i] = jobs[i].median();
    std::printf("%6d %10.1f %10.1f %10.1f | %10.1f %10.1f | %10.1f %10.1f\n", count, m[0] * 1e6, m[1] * 1e6,
                m[2] * 1e6, m[3] * 1e6, m[4] * 1e6, m[5] * 1e6, m[6] * 1e6);
    char line[256];
    std::snprintf(line, sizeof line, "N=%d ours/cairo full-frame ratio: %.2f (cached) %.2f (cold) %.2f (64x64)", count,
                  m[0] / m[3], m[1] / m[3], m[2] / m[4]);
    summary.push_back(line);
    std::snprintf(line, sizeof line,
                  "N=%d ours/cairo-default full-frame ratio: %.2f (cached) %.2f (cold) %.2f (64x64)", count,
                  m[0] / m[5], m[1] / m[5], m[2] / m[6]);
    summary.push_back(line);
    std::snprintf(line, sizeof line,
                  "N=%d pictures: against cairo fast PSNR %.1f dB, max difference %d, %.2f%% of pixels off by >32; "
                  "against cairo default PSNR %.1f dB, max %d, %.2f%%",
                  count, toFast.psnr, toFast.maxDifference, toFast.percentOver32, toDefault.psnr,
                  toDefault.maxDifference, toDefault.percentOver32);
    summary.push_back(line);
  }
  std::printf("\n");
  for (const std::string& line : summary) std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace lmr::bench

int main(int argc, char** argv) { return lmr::bench::Main(argc, argv); }
