#include "player/engine/jpeg_source.h"

#include <cstring>

namespace lmr {

namespace {

MovieJpegSource& SourceOf(j_decompress_ptr info) {
  // The libjpeg record is the first member of a standard-layout struct.
  return *reinterpret_cast<MovieJpegSource*>(info->src);
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  MovieJpegSource& source = SourceOf(info);
  int32_t n = source.reader.readBytes(source.buffer, JpegInputBlockBytes);
  if (n <= 0) {
    // The tag is used up: an end-of-image marker lets libjpeg finish with
    // what it has.
    source.buffer[0] = 0xFF;
    source.buffer[1] = JPEG_EOI;
    n = 2;
  }
  source.manager.next_input_byte = source.buffer;
  source.manager.bytes_in_buffer = static_cast<size_t>(n);
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr& manager = SourceOf(info).manager;
  size_t left = static_cast<size_t>(count);
  // Past the tag end every refill holds 2 bytes, so this ends even for a
  // skip longer than the data: a marker segment claims at most 65533.
  while (left > manager.bytes_in_buffer) {
    left -= manager.bytes_in_buffer;
    FillInputBuffer(info);
  }
  manager.next_input_byte += left;
  manager.bytes_in_buffer -= left;
}

void ErrorExit(j_common_ptr info) {
  // libjpeg cannot go on after an error: leave the image being decoded.
  std::longjmp(reinterpret_cast<SilentJpegErrors*>(info->err)->exit, 1);
}
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void DropMessageText(j_common_ptr, char*) {}
void ResetErrorManager(j_common_ptr) {}

}  // namespace

void installMovieSource(jpeg_decompress_struct& info, MovieJpegSource& source) {
  jpeg_source_mgr& m = source.manager;
  m.next_input_byte = nullptr;
  m.bytes_in_buffer = 0;
  m.init_source = InitSource;
  m.fill_input_buffer = FillInputBuffer;
  m.skip_input_data = SkipInputData;
  m.resync_to_restart = jpeg_resync_to_restart;
  m.term_source = TermSource;
  source.reader = StreamReader{};
  info.src = &m;
}

void feedMovieSource(MovieJpegSource& source, const StreamReader& reader) {
  // Bytes an earlier image left behind its end marker must not be taken
  // for the start of this one.
  source.manager.next_input_byte = nullptr;
  source.manager.bytes_in_buffer = 0;
  source.reader = reader;
}

jpeg_error_mgr* installSilentErrors(SilentJpegErrors& errors) {
  jpeg_error_mgr& m = errors.manager;
  std::memset(&m, 0, sizeof m);  // trace level 0, no warnings, no message tables
  m.error_exit = ErrorExit;
  m.emit_message = EmitMessage;
  m.output_message = OutputMessage;
  m.format_message = DropMessageText;
  m.reset_error_mgr = ResetErrorManager;
  return &m;
}

}  // namespace lmr
