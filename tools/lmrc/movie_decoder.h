// Reads a movie's container (header and tag headers) and decodes tag
// bodies into the records of movie_model.h, keeping every field width as
// stored. All reads go through lmr::StreamReader, bounded by the file or
// the tag body, so hostile bytes end a decode instead of overrunning.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "player/engine/stream_reader.h"
#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/lib/movie_model.h"

namespace lmr::lmrc {

struct MovieFormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct StoredTag {
  uint32_t code = 0;
  bool longForm = false;
  int32_t offset = 0;  // file offset of the tag header
  std::vector<uint8_t> body;
};

struct StoredMovie {
  enc::MovieHeader header;  // rectWidth and declaredLength as stored
  std::vector<StoredTag> tags;
  std::vector<uint8_t> trailing;  // bytes after the end tag that form no whole tag
  bool hasEnd = false;
  size_t fileSize = 0;
};

// Throws MovieFormatError for a wrong signature or a file that ends early.
StoredMovie readStoredMovie(const std::vector<uint8_t>& file);

// Body decoders: false when the body does not decode as the tag's format
// (the caller then keeps it as bytes).
bool decodeShapeTag(const std::vector<uint8_t>& body, uint16_t& id, Rect& bounds, int& rectBits, enc::ShapeBody& out);
bool decodeTextTag(const std::vector<uint8_t>& body, uint16_t& id, Rect& bounds, int& rectBits, enc::TextBody& out);
bool decodeButtonTag(const std::vector<uint8_t>& body, uint16_t& id, enc::ButtonBody& out);
bool decodeActionList(const std::vector<uint8_t>& body, std::vector<enc::Action>& out);
bool decodeFontTag(const std::vector<uint8_t>& body, uint16_t& id, enc::FontBody& out);
bool decodeFontFaceTag(const std::vector<uint8_t>& body, uint16_t& id, enc::FontFace& out);
bool decodePlaceTag(const std::vector<uint8_t>& body, uint16_t& id, uint16_t& depth, enc::CodedMatrix& out);

// Primitive records with their widths.
enc::CodedMatrix readCodedMatrix(StreamReader& r);
Rect readRectWidth(StreamReader& r, int& bits);

}  // namespace lmr::lmrc
