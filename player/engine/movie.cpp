#include "player/engine/movie.h"

#include <cstdlib>
#include <cstring>

#include "player/engine/display_list.h"
#include "player/engine/jpeg_glue.h"
#include "player/engine/movie_format.h"

namespace lmr {

namespace {

uint32_t littleEndian32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Bytes of the whole header record for a frame rectangle of n-bit fields:
// the 8 fixed bytes, the rectangle (5 + 4n bits, padded) and the 16-bit
// rate and count. 21 for n = 15 or 16; up to 29 for n = 31.
int32_t headerRecordBytes(int32_t n) {
  return FileHeaderBytes + (5 + 4 * n + 7) / 8 + 4;
}

}  // namespace

Movie::Movie() {
  characterPool.initPool(sizeof(CharacterRecord), CharactersPerChunk);
}

Movie::~Movie() {
  reset();
}

void Movie::appendData(const uint8_t* bytes, int32_t count) {
  if (error || !bytes || count <= 0) return;
  while (fileLength == -1) {
    int32_t take = FileHeaderBytes - headerBytesSeen;
    if (take > count) take = count;
    std::memcpy(headerBytes + headerBytesSeen, bytes, static_cast<size_t>(take));
    headerBytesSeen += take;
    bytes += take;
    count -= take;
    if (headerBytesSeen < FileHeaderBytes) return;

    if (headerBytes[0] != 'L' || headerBytes[1] != 'M' || headerBytes[2] != 'V') {
      error = ResultBadMagic;
      return;
    }
    uint32_t declared = littleEndian32(headerBytes + 4);
    // A length below 8 cannot even hold the header bytes: not a movie.
    if (declared < static_cast<uint32_t>(FileHeaderBytes)) {
      error = ResultBadMagic;
      return;
    }
    if (declared > static_cast<uint32_t>(MaxMovieBytes)) {
      error = ResultOutOfMemory;
      return;
    }
    buffer = static_cast<uint8_t*>(std::malloc(declared));
    if (!buffer) {
      error = ResultOutOfMemory;
      return;
    }
    version = headerBytes[3];
    fileLength = static_cast<int32_t>(declared);
    std::memcpy(buffer, headerBytes, FileHeaderBytes);
    bytesReceived = FileHeaderBytes;
    reader = StreamReader::over(buffer, FileHeaderBytes, bytesReceived);
  }
  int32_t room = fileLength - bytesReceived;
  int32_t copy = count < room ? count : room;
  if (copy <= 0) return;
  std::memcpy(buffer + bytesReceived, bytes, static_cast<size_t>(copy));
  bytesReceived += copy;
  reader.limit = bytesReceived;  // no tag runs while data arrives
}

int Movie::readHeader() {
  if (error) return 0;
  if (headerParsed) return 1;
  if (!buffer || bytesReceived <= FileHeaderBytes) return 0;
  // Wait for the whole header record, whatever the rectangle's field width
  // (its first 5 bits), so no field is read before it has arrived.
  if (bytesReceived < headerRecordBytes(buffer[FileHeaderBytes] >> 3)) return 0;

  reader.pos = FileHeaderBytes;
  reader.limit = bytesReceived;
  reader.overrun = false;
  frameRect = reader.readRect();
  uint32_t rate = reader.readU16();  // 8.8 frames per second
  frameRate = static_cast<Fixed>(rate << 8);
  frameMillis = frameRate > 0 ? 65536000 / frameRate : FrameMillisForZeroRate;
  frameCount = static_cast<int32_t>(reader.readU16());
  reader.alignToByte();
  firstTagOffset = reader.pos;
  currentFrame = -1;
  headerParsed = true;
  return 1;
}

int32_t Movie::stepTag() {
  // A failed movie reports its failure before anything else: once set it
  // holds until reset, whether or not a buffer exists.
  if (error) return error;
  if (!buffer) return ResultNoData;
  if (!headerParsed && !readHeader()) return ResultNeedData;
  if (ended) return ResultEnded;

  int32_t start = reader.pos;
  reader.limit = bytesReceived;
  reader.overrun = false;
  reader.alignToByte();
  if (bytesReceived - start < TagShortHeaderBytes) return ResultNeedData;
  uint32_t header = reader.readU16();
  int64_t length = header & TagLengthMask;
  if (length == TagLongLength) {
    if (bytesReceived - reader.pos < 4) {
      reader.pos = start;
      return ResultNeedData;
    }
    length = reader.readU32();
  }
  int32_t bodyStart = reader.pos;
  // A tag that ends beyond the declared length never completes: the movie
  // stays here, asking for data, like any tag still on its way.
  if (bodyStart + length > bytesReceived) {
    reader.pos = start;
    return ResultNeedData;
  }
  tagStart = start;
  tagEnd = bodyStart + static_cast<int32_t>(length);
  reader.end = tagEnd;
  reader.limit = tagEnd;

  executeTag(header >> TagCodeShift);

  reader.pos = tagEnd;
  reader.end = tagEnd;
  reader.limit = bytesReceived;
  reader.overrun = false;
  reader.alignToByte();
  return ResultOk;
}

int32_t Movie::seekFrame(int32_t n) {
  if (error) return error;
  if (!headerParsed && !readHeader()) return ResultNeedData;
  if (n < currentFrame) rewind();
  int32_t result = ResultOk;
  while (currentFrame < n) {
    result = stepTag();
    if (result != ResultOk) break;
  }
  return result;
}

void Movie::rewind() {
  if (displayList) displayList->clearAll();
  freeAllCharacters();
  currentFrame = -1;
  ended = false;
  if (headerParsed) {
    reader.pos = firstTagOffset;
    reader.end = firstTagOffset;
    reader.limit = bytesReceived;
    reader.overrun = false;
    reader.alignToByte();
  }
  if (jpegDecoder) destroyJpeg(*this);
}

void Movie::reset() {
  rewind();
  std::free(buffer);
  buffer = nullptr;
  reader = StreamReader{};
  tagEnd = 0;
  tagStart = 0;
  firstTagOffset = 0;
  error = 0;
  bytesReceived = 0;
  fileLength = -1;
  headerBytesSeen = 0;
  headerParsed = false;
  ended = false;
  currentFrame = -1;
  actionCount = 0;
}

}  // namespace lmr
