// Splits a JPEG file into the two parts a movie stores: a tables-only
// stream (start of image, quantisation and Huffman tables, end of image)
// for TagJpegSetup, and the abbreviated image stream without those tables
// for TagJpegImage. Also compresses RGB pixels into a JPEG file with
// libjpeg, and reads PNG (where libpng is built in) and PPM pictures.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lmr::enc {

struct JpegError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct JpegParts {
  std::vector<uint8_t> tables;     // FFD8, every DQT and DHT segment before the first scan, FFD9
  std::vector<uint8_t> image;      // the file without those segments
  std::vector<uint8_t> withTables; // the file unchanged, for images whose tables differ from the movie's
};

// Throws JpegError when the bytes are not a JPEG stream with a frame and a scan.
JpegParts splitJpeg(const std::vector<uint8_t>& file);

struct RgbPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows top first, 3 bytes a pixel
};

// quality 1 to 100. Throws JpegError.
std::vector<uint8_t> compressJpeg(const RgbPicture& picture, int quality);

bool pngAvailable();
// Binary (P6) and plain (P3) PPM, and PNG. Throw JpegError.
RgbPicture readPpm(const std::vector<uint8_t>& file);
RgbPicture readPng(const std::vector<uint8_t>& file);

// A picture file as JPEG bytes: JPEG files as they are, PNG and PPM
// compressed at `quality`. Throws JpegError.
std::vector<uint8_t> pictureAsJpeg(const std::vector<uint8_t>& file, int quality);

}  // namespace lmr::enc
