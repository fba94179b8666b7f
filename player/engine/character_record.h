// A character of the movie: what a definition tag made of an id. Records
// hold offsets into the movie buffer, not decoded data (except a bitmap's
// image once decoded); the renderer and the button logic walk the body
// again whenever they need it. One block of the movie's character pool.
#pragma once

#include <cstdint>
#include <type_traits>

#include "player/engine/bitmap_image.h"
#include "player/engine/records.h"

namespace lmr {

struct Movie;

// CharacterRecord::kind
constexpr uint16_t KindShape = 0;
constexpr uint16_t KindBitmap = 1;
constexpr uint16_t KindButton = 2;
constexpr uint16_t KindFont = 3;
constexpr uint16_t KindText = 4;

// FontData::deviceFontState
constexpr int32_t DeviceFontUnknown = 0;  // no system font looked for yet
constexpr int32_t DeviceFontFound = 1;
constexpr int32_t DeviceFontUnusable = 2;

struct FontData {
  int32_t fontDetailsOffset;  // body of the font's details tag; 0 while none
  int32_t fontDetailsEnd;     // end of that tag: the hard limit of walks over the details
  int32_t deviceFontState;    // DeviceFont*
};

struct TextData {
  int32_t deviceTextState;  // 0 until device fonts were tried for this text
};

struct BitmapData {
  BitmapImage image;  // empty until first decoded
  // End of the image tag, taken from the tag itself: the JPEG data runs
  // from after the id up to here, whatever the length field says.
  int32_t dataEnd;
};

// The data that depends on `kind`. A new record starts with the bitmap
// variant value-initialised, which leaves every variant zero.
union KindData {
  BitmapData bitmap{};
  FontData font;
  TextData text;
};

struct CharacterRecord {
  CharacterRecord* next;  // next record of the same dictionary bucket
  Movie* movie;           // whose buffer bodyOffset points into
  uint16_t id;
  uint16_t kind;       // Kind*
  int32_t bodyOffset;  // file offset of the body (see the definition tags)
  Rect bounds;         // own coordinates, movie units; empty for buttons, fonts, bitmaps
  // End offset of the defining tag: the hard limit of every later walk over
  // the body (shape records, button records, glyphs, text records).
  int32_t tagEnd;
  KindData data;
};

// Records live in pool blocks and are never destroyed, only overwritten.
static_assert(std::is_trivially_destructible<CharacterRecord>::value,
              "character records are freed without a destructor");

}  // namespace lmr
