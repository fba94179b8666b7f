#include "tools/lmr2png/lmr2png_command.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/lmr2png/frame_render.h"
#include "tools/lmr2png/movie_loading.h"
#include "tools/lmr2png/options.h"
#include "tools/lmr2png/pixel_readback.h"
#include "tools/png/png_file.h"

namespace lmr::lmr2png {

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  std::string problem;
  if (!parseArguments(args, options, problem)) {
    err << "lmr2png: " << problem << "\n" << UsageLine;
    return ExitUsage;
  }
  if (options.help) {
    out << HelpText;
    return ExitWritten;
  }

  const std::string& moviePath = options.moviePath;
  std::error_code ignored;
  if (std::filesystem::is_directory(moviePath, ignored)) {
    err << moviePath << ": cannot read the file: it is a folder\n";
    return ExitNoPicture;
  }
  std::ifstream in(moviePath, std::ios::binary);
  if (!in) {
    err << moviePath << ": cannot read the file\n";
    return ExitNoPicture;
  }

  MovieStage stage;
  // The page's colour: set before the first tag, so the movie's own
  // background tags cannot take effect.
  if (options.hasBackground) stage.list.setBackground(options.background, BackgroundFromPage);
  const LoadOutcome outcome = loadMovie(stage, in, options.frame);
  if (!canRender(outcome)) {
    err << moviePath << ": " << describeOutcome(outcome, stage, options.frame) << "\n";
    return ExitNoPicture;
  }

  ImageSize size{options.width, options.height};
  if (size.width <= 0 || size.height <= 0) size = defaultImageSize(stage.movie.frameRect);
  if (!renderFrame(stage, options.formatIndex, size.width, size.height, options.quality, options.viewFlags)) {
    err << "lmr2png: no memory for a picture of " << size.width << " x " << size.height << " pixels\n";
    return ExitNoPicture;
  }
  if (!png::writeRgbPng(options.outputPath, size.width, size.height, offscreenToRgb(stage.offscreen), problem)) {
    err << "lmr2png: " << problem << "\n";
    return ExitNoPicture;
  }
  if (outcome.state != LoadState::FrameReached) {
    err << moviePath << ": " << describeOutcome(outcome, stage, options.frame) << "\n";
    return ExitFrameNotReached;
  }
  return ExitWritten;
}

}  // namespace lmr::lmr2png
