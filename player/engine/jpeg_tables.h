// The movie's JPEG tables kept apart from its one decompressor. An image
// tag may carry quantisation or Huffman tables of its own, which libjpeg
// loads into the decompressor's table slots; put back before every image,
// the movie's tables make each image decode the same whatever was decoded
// before it, and they are still parsed only once, from the setup tag.
#pragma once

#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

namespace lmr {

struct MovieJpegTables {
  JQUANT_TBL quant[NUM_QUANT_TBLS];
  JHUFF_TBL dc[NUM_HUFF_TBLS];
  JHUFF_TBL ac[NUM_HUFF_TBLS];
  bool hasQuant[NUM_QUANT_TBLS];
  bool hasDc[NUM_HUFF_TBLS];
  bool hasAc[NUM_HUFF_TBLS];
};

// Copies the tables the decompressor holds (after the setup tag).
void saveJpegTables(const jpeg_decompress_struct& info, MovieJpegTables& tables);

// Loads the saved tables into the decompressor; slots the setup tag left
// empty become empty again, and each table dropped from such a slot is
// counted in `dropped` (libjpeg keeps its memory in its pool until the
// decompressor is destroyed). A slot that needs a table block gets one from
// libjpeg, whose allocation failure leaves through the error manager: call
// this where that exit is armed.
void restoreJpegTables(jpeg_decompress_struct& info, const MovieJpegTables& tables, int32_t& dropped);

}  // namespace lmr
