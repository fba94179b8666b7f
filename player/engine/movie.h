// The engine's view of one movie file: it collects the file's bytes as they
// arrive, recognises and reads the header, and executes the tags one by
// one, each only once all of its bytes are in, so a movie plays while it
// is still loading. Definition tags fill the dictionary, display tags
// change the player's display list, frame tags count completed frames.
//
// Offsets are file offsets: the buffer holds the whole file, header
// included, and is allocated once at the declared length.
//
// Call order: appendData for every block as it arrives; seekFrame to
// advance (or go back); reset before a new stream and before destruction
// of the display list. The display list must outlive the movie, or
// `displayList` must be cleared first: rewind and reset empty it.
#pragma once

#include <cstdint>

#include "player/engine/block_pool.h"
#include "player/engine/character_record.h"
#include "player/engine/records.h"
#include "player/engine/result_codes.h"
#include "player/engine/stream_reader.h"

namespace lmr {

struct DisplayList;

// A declared file length above this is refused as out of memory, so a
// tiny hostile header cannot make the player commit gigabytes.
constexpr int32_t MaxMovieBytes = 64 << 20;
// The 8 fixed header bytes: signature "LMV", version, 32-bit file length.
constexpr int32_t FileHeaderBytes = 8;
// A frame rate of 0 has no meaning in the format and would divide by zero:
// such movies play at one frame per second, slow enough to be harmless and
// still moving.
constexpr int32_t FrameMillisForZeroRate = 1000;
// Action tags queued between two runs of the action queue; more are ignored.
constexpr int32_t MaxQueuedActions = 16;
// Dictionary buckets: a record lives in bucket id & DictionaryMask.
constexpr int32_t DictionaryBuckets = 32;
constexpr uint16_t DictionaryMask = DictionaryBuckets - 1;
constexpr uint32_t CharactersPerChunk = 32;

struct Movie {
  // The tag cursor. `data` is the file buffer (none until the 8 header bytes
  // arrived); `limit` is bytesReceived between tags and the tag end while a
  // tag runs, so no handler reads past its tag; `end` is the tag end.
  StreamReader reader;
  int32_t tagEnd = 0;                // end offset of the tag being executed
  int32_t tagStart = 0;              // offset of its header (its body follows 2 or 6 bytes on)
  int32_t firstTagOffset = 0;        // just after the frame count
  int32_t error = 0;                 // 0, ResultBadMagic or ResultOutOfMemory, until reset
  int32_t bytesReceived = 0;         // bytes stored in the buffer, header included
  int32_t fileLength = -1;           // from the header; -1 until the 8 bytes are in
  Rect frameRect{0, 1440, 0, 1440};  // movie units
  Fixed frameRate = 0;               // frames per second, 16.16
  int32_t frameMillis = 0;           // milliseconds per frame
  int32_t frameCount = 0;
  int32_t version = 0;
  int32_t headerBytesSeen = 0;  // 0 to 8
  uint8_t headerBytes[FileHeaderBytes] = {};
  bool headerParsed = false;           // frame rectangle, rate and count are read
  bool ended = false;                  // the end tag has run
  int32_t currentFrame = -1;           // frame boundaries passed, minus one
  void* jpegDecoder = nullptr;         // made by the first JPEG setup tag since a rewind
  DisplayList* displayList = nullptr;  // the player's; none: display tags do nothing
  // Queued action lists, oldest first: body offsets and the ends of their
  // tags (the hard limit of the interpreter's walk).
  int32_t actionOffsets[MaxQueuedActions] = {};
  int32_t actionEnds[MaxQueuedActions] = {};
  int32_t actionCount = 0;
  CharacterRecord* buckets[DictionaryBuckets] = {};
  BlockPool characterPool;
  uint8_t* buffer = nullptr;  // the writable file buffer; reader.data points at it

  Movie();
  ~Movie();
  Movie(const Movie&) = delete;
  Movie& operator=(const Movie&) = delete;

  // Stores the next block of the file. The header may be split over any
  // number of blocks; bytes past the declared length are dropped.
  void appendData(const uint8_t* bytes, int32_t count);
  // 1 once the frame rectangle, rate and count are read, else 0.
  int readHeader();
  // Executes the next tag when all of it has arrived: a Result* code.
  int32_t stepTag();
  // Executes tags until frame n is complete; backwards first rewinds.
  int32_t seekFrame(int32_t n);
  // Back to before the first tag: display list, dictionary and JPEG
  // decoder emptied; header, buffer and action queue kept.
  void rewind();
  // Back to the empty state of a new movie; frame rectangle, rate, count
  // and version keep their last values.
  void reset();

  // Dictionary.
  CharacterRecord* findCharacter(uint16_t id) const;
  // A zeroed record with next, movie and id set, in front of its bucket;
  // none when the pool has no memory.
  CharacterRecord* addCharacter(uint16_t id);
  void removeCharacters(uint16_t id);
  void freeAllCharacters();

 private:
  void executeTag(uint32_t code);
  void freeCharacter(CharacterRecord* record);
};

}  // namespace lmr
