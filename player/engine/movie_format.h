// The constants of the movie format, for the player that reads movies and
// the compiler that writes them: tag codes and the tag header, action
// codes, button states, and the flag bits of fill styles, shape records,
// text records and font details.
//
// They live in lmr::format, which both lmr (the player) and lmr::enc (the
// compiler's encoder) take in whole, so each names them as its own:
// TagShape in the player, enc::TagShape in the encoder.
#pragma once

#include <cstdint>

namespace lmr::format {

// ---- Tags ----
//
// A tag starts with a 16-bit value h: code h >> 6 (10 bits), body length
// h & 0x3F. The length TagLongLength means a 32-bit length follows, so the
// body starts 6 bytes after the tag start instead of 2.
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
constexpr uint32_t TagCodeLimit = 1024;  // codes are 10 bits

constexpr uint32_t TagCodeShift = 6;
constexpr uint32_t TagLengthMask = 0x3F;
constexpr uint32_t TagLongLength = 0x3F;
constexpr int32_t TagShortHeaderBytes = 2;
constexpr int32_t TagLongHeaderBytes = 6;

// ---- Actions ----
//
// Codes from ActHasBody on carry a 16-bit length and a body.
constexpr uint8_t ActEnd = 0x00;
constexpr uint8_t ActStepForward = 0x04;
constexpr uint8_t ActStepBack = 0x05;
constexpr uint8_t ActStartPlaying = 0x06;
constexpr uint8_t ActStopPlaying = 0x07;
constexpr uint8_t ActFlipQuality = 0x08;
constexpr uint8_t ActJumpToFrame = 0x81;
constexpr uint8_t ActOpenUrl = 0x83;
constexpr uint8_t ActHasBody = 0x80;

// ---- Button states ----
//
// A button object shows one of BtnIdle, BtnHover or BtnPressed; a button
// record lists the states that show its child, and BtnHitArea marks the
// records that form the clickable area.
constexpr uint8_t BtnIdle = 1;
constexpr uint8_t BtnHover = 2;
constexpr uint8_t BtnPressed = 4;
constexpr uint8_t BtnHitArea = 8;

// ---- Fill styles ----
//
// The type byte: bit 4 marks a gradient (FillTypeRadial radial, any other
// value linear), else bit 6 a bitmap, else a solid colour.
constexpr uint8_t FillTypeSolid = 0x00;
constexpr uint8_t FillTypeLinear = 0x10;
constexpr uint8_t FillTypeRadial = 0x12;
constexpr uint8_t FillTypeBitmap = 0x40;
constexpr uint8_t FillGradientBit = 0x10;
constexpr uint8_t FillBitmapBit = 0x40;

// ---- Shape records ----
//
// Style-change flags of a non-edge record; all five clear ends the records.
constexpr uint8_t StyleMove = 1;
constexpr uint8_t StyleFill0 = 2;
constexpr uint8_t StyleFill1 = 4;
constexpr uint8_t StyleLine = 8;
constexpr uint8_t StyleSpare = 16;  // carries no data

// ---- Text records ----
//
// Which fields follow the flags byte; 0 ends the records, bits 4 to 7 carry
// no data.
constexpr uint8_t TextX = 1;
constexpr uint8_t TextY = 2;
constexpr uint8_t TextColor = 4;
constexpr uint8_t TextFont = 8;  // a font id and a height

// ---- Font details ----
constexpr uint8_t FaceTwoByteCodes = 1;
constexpr uint8_t FaceBold = 2;
constexpr uint8_t FaceItalic = 4;
constexpr uint8_t FaceSystemMask = 0xF0;
constexpr uint8_t FaceSystem = 0x10;  // the high nibble 1: a system font may stand in

}  // namespace lmr::format

namespace lmr {
using namespace format;
}  // namespace lmr
