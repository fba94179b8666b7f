#include "player/host/player_stream.h"

#include "player/engine/movie.h"
#include "player/engine/result_codes.h"
#include "player/host/player.h"

namespace lmr {

int32_t openStream(Player& player, const void* stream, const char* url) {
  if (player.stream != nullptr || stream == nullptr) return StreamRefused;
  freeString(player.streamUrl);
  player.streamUrl = copyString(url);
  player.stage.movie.reset();
  player.stream = stream;
  player.streamStartTime = player.platform.nowMillis();
  return StreamAccepted;
}

int32_t writeReadyBytes(const Player& player) {
  if (player.speedLimit <= 0) return UnlimitedWriteBytes;
  // Unsigned, so a clock that wrapped past 31 bits still counts forward.
  const uint32_t elapsed = static_cast<uint32_t>(player.platform.nowMillis() - player.streamStartTime) &
                           0x7FFFFFFFu;
  const int64_t tenths = elapsed / 100;
  const int64_t allowance = tenths * player.speedLimit / 10 - player.stage.movie.bytesReceived;
  if (allowance <= 0) return 0;
  return allowance > UnlimitedWriteBytes ? UnlimitedWriteBytes : static_cast<int32_t>(allowance);
}

namespace {

// Frame 0 is there when its tags have all run, or when the whole file is
// in (a movie whose frame 0 never ends still shows what it has).
bool firstFrameAvailable(Movie& movie) {
  const int32_t result = movie.seekFrame(0);
  if (result == ResultOk) return true;
  return movie.buffer != nullptr && movie.bytesReceived >= movie.fileLength;
}

void start(Player& player) {
  player.started = true;
  const Movie& movie = player.stage.movie;
  if (movie.frameCount > 1) {
    if (player.playRequested) play(player);
  } else if (player.autoQuality) {
    // A still picture has time to be drawn well.
    player.highQuality = true;
  }
}

}  // namespace

int32_t writeStream(Player& player, const void* stream, const uint8_t* data, int32_t length) {
  if (stream == nullptr || stream != player.stream || data == nullptr || length <= 0) return 0;
  player.stage.appendData(data, length);
  if (player.started) return length;
  if (firstFrameAvailable(player.stage.movie)) start(player);
  redraw(player);
  return length;
}

void closeStream(Player&, const void*) {}

}  // namespace lmr
