// Encodes the body of every tag of the format from its record (see
// movie_model.h). Each function returns the body bytes only; writeTag puts
// the header in front.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/movie_model.h"

namespace lmr::enc {

std::vector<uint8_t> placeBody(uint16_t id, uint16_t depth, const CodedMatrix& matrix);
std::vector<uint8_t> removeBody(uint16_t id, uint16_t depth);
std::vector<uint8_t> dropBody(uint16_t id);
std::vector<uint8_t> backgroundBody(const Rgb& color);
// id, bounds (rectBits -1: smallest), shape body.
std::vector<uint8_t> shapeBody(uint16_t id, const Rect& bounds, int rectBits, const ShapeBody& body);
std::vector<uint8_t> buttonBody(uint16_t id, const ButtonBody& body);
// An action list ended by code 0.
std::vector<uint8_t> actionListBody(const std::vector<Action>& actions);
void writeActionList(BitWriter& out, const std::vector<Action>& actions);
std::vector<uint8_t> textBody(uint16_t id, const Rect& bounds, int rectBits, const TextBody& body);
std::vector<uint8_t> fontBody(uint16_t id, const FontBody& font);
// Whether every glyph starts within the 16-bit offsets of a font body.
bool fontOffsetsFit(const FontBody& font);
std::vector<uint8_t> fontFaceBody(uint16_t id, const FontFace& face);
std::vector<uint8_t> jpegImageBody(uint16_t id, const std::vector<uint8_t>& data);

// Widths a text body is written with when it leaves them at -1.
int textGlyphBits(const TextBody& body);
int textAdvanceBits(const TextBody& body);

// Bodies of the known actions.
Action jumpToFrameAction(uint16_t frame);
Action openUrlAction(const std::string& url, const std::string& target);

}  // namespace lmr::enc
