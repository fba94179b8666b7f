// The movie file arriving as the browser's one stream for a player. Every
// block is appended to the movie; until frame 0 is complete each block
// seeks frame 0 and redraws, so the frame builds up on screen; once it is
// complete the player starts, and a movie of several frames starts its
// frame clock unless the page held it back.
#pragma once

#include <cstdint>

namespace lmr {

struct Player;

// What writeReadyBytes answers when no speed limit applies.
constexpr int32_t UnlimitedWriteBytes = 0x0FFFFFFF;

// Browser error codes the stream entries answer with.
constexpr int32_t StreamAccepted = 0;
constexpr int32_t StreamRefused = 1;

// Accepts `stream` (an identity only; never read) as the player's one
// stream in its whole life; a second one is refused.
int32_t openStream(Player& player, const void* stream, const char* url);
// How many bytes the player takes now: all it is given, or with a speed
// limit what the time since the stream began allows, less what came.
int32_t writeReadyBytes(const Player& player);
// Stores a block of the accepted stream and shows what it brings; the
// bytes consumed (the whole block, or 0 for another stream or bad input).
int32_t writeStream(Player& player, const void* stream, const uint8_t* data, int32_t length);
// The end of the stream, completed or not: nothing changes, and the stream
// stays the player's one stream.
void closeStream(Player& player, const void* stream);

}  // namespace lmr
