// Compiles movie source (see README.md) into movie bytes, statement by
// statement. The compiler keeps what later statements need: the header,
// the fonts' code tables, advances and glyph bounds (for texts written as
// strings), and the movie's JPEG tables.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/lmrc/lib/bit_writer.h"
#include "tools/lmrc/source_lexer.h"

namespace lmr::lmrc {

// What texts need of a font id.
struct FontInfo {
  std::vector<uint32_t> codes;     // per glyph; empty when unknown
  std::vector<int32_t> advances;   // per glyph, em units; empty when unknown
  std::vector<Rect> glyphBounds;   // per glyph, em units; empty Rect for no points
};

class MovieCompiler {
 public:
  // Files named in the source are found relative to baseDir.
  explicit MovieCompiler(std::string baseDir = ".");

  // A whole source. Throws SourceError.
  std::vector<uint8_t> compileAll(const std::vector<Statement>& statements);

  // One top-level statement; following / followingCount are the statements
  // after it, where a font import finds the characters texts use. Returns
  // the bytes appended to the tag stream. Throws SourceError.
  std::vector<uint8_t> compile(const Statement& s, const Statement* following, size_t followingCount);

  // The movie: header, tags, and an end tag unless one was written (or
  // the header said noend).
  std::vector<uint8_t> finish() const;

  // Forgets the tag bytes written so far but keeps all other state: for
  // callers that collect the tags themselves (the dumper's check).
  void clearTagStream() { tags_.bytes.clear(); }

 private:
  void header(const Statement& s);
  void writeTag(uint32_t code, const std::vector<uint8_t>& body, int form, bool longByDefault = false);
  void shape(const Statement& s, int form);
  void button(const Statement& s, int form);
  void actions(const Statement& s, int form);
  void font(const Statement& s, int form, const Statement* following, size_t followingCount);
  void fontFace(const Statement& s, int form);
  void text(const Statement& s, int form);
  void jpeg(const Statement& s, int form);
  std::string path(const std::string& name) const;

  std::string baseDir_;
  enc::MovieHeader header_;
  bool headerGiven_ = false;
  bool framesGiven_ = false;
  bool noEnd_ = false;
  bool anyTag_ = false;
  bool endWritten_ = false;
  uint32_t frameTags_ = 0;
  enc::BitWriter tags_;
  std::map<uint32_t, std::shared_ptr<const FontInfo>> fonts_;
  bool haveJpegTables_ = false;
  std::vector<uint8_t> jpegTables_;
};

// Parses and compiles a whole source text. Throws SourceError.
std::vector<uint8_t> compileSource(const std::string& text, const std::string& baseDir);

}  // namespace lmr::lmrc
