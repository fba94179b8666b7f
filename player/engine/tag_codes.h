// Tag codes of the movie format and the layout of a tag header.
//
// A tag starts with a 16-bit value h: code h >> 6 (10 bits), body length
// h & 0x3F. The length TagLongLength means a 32-bit length follows, so the
// body starts 6 bytes after the tag start instead of 2.
#pragma once

#include <cstdint>

namespace lmr {

constexpr uint32_t TagEnd = 0;            // empty: the movie ends
constexpr uint32_t TagFrame = 1;          // empty: the frame is complete
constexpr uint32_t TagShape = 2;          // id, bounds, shape body
constexpr uint32_t TagDropCharacter = 3;  // id
constexpr uint32_t TagPlace = 4;          // id, depth, matrix
constexpr uint32_t TagRemove = 5;         // id, depth
constexpr uint32_t TagJpegImage = 6;      // long header; id, JPEG image data
constexpr uint32_t TagButton = 7;         // id, button records, action list
constexpr uint32_t TagJpegSetup = 8;      // JPEG tables
constexpr uint32_t TagBackground = 9;     // red, green, blue
constexpr uint32_t TagFont = 10;          // id, glyph shapes
constexpr uint32_t TagText = 11;          // id, bounds, text body
constexpr uint32_t TagActions = 12;       // action list
constexpr uint32_t TagFontFace = 13;      // font id, font details
// Codes from 14 to 1023 are skipped by their length.
constexpr uint32_t TagLastKnown = TagFontFace;

constexpr uint32_t TagCodeShift = 6;
constexpr uint32_t TagLengthMask = 0x3F;
constexpr uint32_t TagLongLength = 0x3F;
constexpr int32_t TagShortHeaderBytes = 2;
constexpr int32_t TagLongHeaderBytes = 6;

}  // namespace lmr
