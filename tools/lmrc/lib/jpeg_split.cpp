#include "tools/lmrc/lib/jpeg_split.h"

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#ifdef LMRC_HAVE_PNG
#include <png.h>
#endif

namespace lmr::enc {

JpegParts splitJpeg(const std::vector<uint8_t>& f) {
  if (f.size() < 4 || f[0] != 0xFF || f[1] != 0xD8) throw JpegError("not a JPEG file (no start-of-image marker)");
  JpegParts parts;
  parts.withTables = f;
  parts.tables = {0xFF, 0xD8};
  parts.image = {0xFF, 0xD8};
  size_t i = 2;
  bool frame = false;
  for (;;) {
    if (i + 4 > f.size() || f[i] != 0xFF) throw JpegError("JPEG file ends or breaks before its first scan");
    uint8_t marker = f[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    size_t length = static_cast<size_t>(f[i + 2]) << 8 | f[i + 3];
    if (length < 2 || i + 2 + length > f.size()) throw JpegError("JPEG segment runs past the end of the file");
    const uint8_t* segment = f.data() + i;
    size_t size = 2 + length;
    if (marker == 0xDB || marker == 0xC4) {
      parts.tables.insert(parts.tables.end(), segment, segment + size);
    } else if (marker == 0xDA) {
      if (!frame) throw JpegError("JPEG scan before any frame header");
      // The scan and everything after it (entropy-coded data, later
      // tables of progressive images, end of image) stay in the image.
      parts.image.insert(parts.image.end(), segment, f.data() + f.size());
      break;
    } else {
      if ((marker >= 0xC0 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) frame = true;
      parts.image.insert(parts.image.end(), segment, segment + size);
    }
    i += size;
  }
  parts.tables.push_back(0xFF);
  parts.tables.push_back(0xD9);
  return parts;
}

namespace {

struct ErrorTrap {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void trapError(j_common_ptr info) {
  ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
  (*info->err->format_message)(info, trap->message);
  std::longjmp(trap->jump, 1);
}

// Collects the compressed bytes in a vector.
struct VectorDestination {
  jpeg_destination_mgr mgr;
  std::vector<uint8_t>* out;
  uint8_t buffer[4096];
};

void startDestination(j_compress_ptr info) {
  VectorDestination* d = reinterpret_cast<VectorDestination*>(info->dest);
  d->mgr.next_output_byte = d->buffer;
  d->mgr.free_in_buffer = sizeof d->buffer;
}

boolean emptyDestination(j_compress_ptr info) {
  VectorDestination* d = reinterpret_cast<VectorDestination*>(info->dest);
  d->out->insert(d->out->end(), d->buffer, d->buffer + sizeof d->buffer);
  d->mgr.next_output_byte = d->buffer;
  d->mgr.free_in_buffer = sizeof d->buffer;
  return TRUE;
}

void finishDestination(j_compress_ptr info) {
  VectorDestination* d = reinterpret_cast<VectorDestination*>(info->dest);
  d->out->insert(d->out->end(), d->buffer, d->buffer + (sizeof d->buffer - d->mgr.free_in_buffer));
}

}  // namespace

std::vector<uint8_t> compressJpeg(const RgbPicture& picture, int quality) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 3) {
    throw JpegError("picture has no pixels");
  }
  std::vector<uint8_t> out;
  jpeg_compress_struct info;
  ErrorTrap trap;
  info.err = jpeg_std_error(&trap.mgr);
  trap.mgr.error_exit = trapError;
  if (setjmp(trap.jump)) {
    jpeg_destroy_compress(&info);
    throw JpegError(std::string("JPEG compression failed: ") + trap.message);
  }
  jpeg_create_compress(&info);
  VectorDestination dest;
  dest.out = &out;
  dest.mgr.init_destination = startDestination;
  dest.mgr.empty_output_buffer = emptyDestination;
  dest.mgr.term_destination = finishDestination;
  info.dest = &dest.mgr;
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.rgb.data() + static_cast<size_t>(info.next_scanline) * 3 * picture.width);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return out;
}

RgbPicture readPpm(const std::vector<uint8_t>& f) {
  size_t i = 2;
  auto skipSpace = [&] {
    while (i < f.size() && (std::isspace(f[i]) || f[i] == '#')) {
      if (f[i] == '#') {
        while (i < f.size() && f[i] != '\n') ++i;
      } else {
        ++i;
      }
    }
  };
  auto number = [&]() -> long {
    skipSpace();
    long v = 0;
    size_t start = i;
    while (i < f.size() && std::isdigit(f[i]) && v < 100000) v = v * 10 + (f[i++] - '0');
    if (i == start) throw JpegError("PPM header is broken");
    return v;
  };
  if (f.size() < 3 || f[0] != 'P' || (f[1] != '6' && f[1] != '3')) throw JpegError("not a PPM file (P6 or P3)");
  bool plain = f[1] == '3';
  long w = number(), h = number(), top = number();
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || top <= 0 || top > 255) {
    throw JpegError("PPM size or depth not supported (up to 16384 pixels a side, 8 bits a channel)");
  }
  RgbPicture p;
  p.width = static_cast<int>(w);
  p.height = static_cast<int>(h);
  size_t count = static_cast<size_t>(w) * static_cast<size_t>(h) * 3;
  p.rgb.resize(count);
  if (plain) {
    for (size_t k = 0; k < count; ++k) p.rgb[k] = static_cast<uint8_t>(number() * 255 / top);
  } else {
    ++i;  // the one whitespace byte after the depth
    if (f.size() < i + count) throw JpegError("PPM file ends before its pixels do");
    for (size_t k = 0; k < count; ++k) p.rgb[k] = static_cast<uint8_t>(f[i + k] * 255 / top);
  }
  return p;
}

#ifdef LMRC_HAVE_PNG
bool pngAvailable() { return true; }

RgbPicture readPng(const std::vector<uint8_t>& f) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, f.data(), f.size())) {
    throw JpegError(std::string("cannot read PNG: ") + image.message);
  }
  image.format = PNG_FORMAT_RGB;
  RgbPicture p;
  p.width = static_cast<int>(image.width);
  p.height = static_cast<int>(image.height);
  p.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    throw JpegError(std::string("cannot read PNG: ") + image.message);
  }
  return p;
}
#else
bool pngAvailable() { return false; }

RgbPicture readPng(const std::vector<uint8_t>&) {
  throw JpegError("this build of lmrc cannot read PNG pictures (built without libpng); use JPEG or PPM");
}
#endif

std::vector<uint8_t> pictureAsJpeg(const std::vector<uint8_t>& f, int quality) {
  if (f.size() >= 2 && f[0] == 0xFF && f[1] == 0xD8) return f;
  if (f.size() >= 8 && f[0] == 0x89 && f[1] == 'P' && f[2] == 'N' && f[3] == 'G') return compressJpeg(readPng(f), quality);
  if (f.size() >= 2 && f[0] == 'P' && (f[1] == '6' || f[1] == '3')) return compressJpeg(readPpm(f), quality);
  throw JpegError("not a JPEG, PNG or PPM picture");
}

}  // namespace lmr::enc
