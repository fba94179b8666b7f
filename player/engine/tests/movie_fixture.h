// Builds test movies tag by tag with the project's encoder, and holds a
// movie wired to a display list the way the player wires them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/engine/movie.h"
#include "player/engine/movie_format.h"
#include "player/host/movie_stage.h"
#include "tools/lmrc/lib/bit_writer.h"

namespace lmr::test {

using Bytes = std::vector<uint8_t>;

inline Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline Bytes tag(uint32_t code, const Bytes& body = {}, bool longForm = false) {
  enc::BitWriter out;
  enc::writeTag(out, code, body, longForm);
  return out.bytes;
}

inline Bytes endTag() {
  return tag(TagEnd);
}
inline Bytes frameTag() {
  return tag(TagFrame);
}

// A shape whose body the engine does not read: just the end of its records.
inline Bytes shapeTag(uint16_t id, const Rect& bounds) {
  enc::BitWriter b;
  b.u16(id);
  b.rect(bounds);
  b.u8(0);
  return tag(TagShape, b.bytes);
}

inline Bytes textTag(uint16_t id, const Rect& bounds) {
  enc::BitWriter b;
  b.u16(id);
  b.rect(bounds);
  b.u8(0);
  return tag(TagText, b.bytes);
}

inline Bytes fontTag(uint16_t id) {
  enc::BitWriter b;
  b.u16(id);
  b.u16(0);
  return tag(TagFont, b.bytes);
}

inline Bytes fontFaceTag(uint16_t id) {
  enc::BitWriter b;
  b.u16(id);
  b.string("Face");
  return tag(TagFontFace, b.bytes);
}

inline Bytes placeTag(uint16_t id, uint16_t depth, const Matrix& m = Matrix{}) {
  enc::BitWriter b;
  b.u16(id);
  b.u16(depth);
  b.matrix(m);
  return tag(TagPlace, b.bytes);
}

inline Bytes removeTag(uint16_t id, uint16_t depth) {
  enc::BitWriter b;
  b.u16(id);
  b.u16(depth);
  return tag(TagRemove, b.bytes);
}

inline Bytes dropTag(uint16_t id) {
  enc::BitWriter b;
  b.u16(id);
  return tag(TagDropCharacter, b.bytes);
}

inline Bytes backgroundTag(uint8_t red, uint8_t green, uint8_t blue) {
  enc::BitWriter b;
  b.rgb(red, green, blue);
  return tag(TagBackground, b.bytes);
}

// An action list of one stop action.
inline Bytes actionsTag() {
  return tag(TagActions, {0x07, 0x00});
}

inline Bytes jpegSetupTag() {
  return tag(TagJpegSetup, {0xFF, 0xD8, 0xFF, 0xD9});
}

inline Bytes jpegImageTag(uint16_t id, bool longForm = true) {
  enc::BitWriter b;
  b.u16(id);
  b.raw({0xFF, 0xD8, 0xFF, 0xD9});
  return tag(TagJpegImage, b.bytes, longForm);
}

struct ButtonChild {
  uint8_t states;
  uint16_t id;
  uint16_t depth;
  Matrix matrix;
};

// Button records, their end marker and an empty action list.
inline Bytes buttonTag(uint16_t id, std::initializer_list<ButtonChild> children) {
  enc::BitWriter b;
  b.u16(id);
  for (const ButtonChild& c : children) {
    b.u8(c.states);
    b.u16(c.id);
    b.u16(c.depth);
    b.matrix(c.matrix);
  }
  b.u8(0);
  b.u8(0);
  return tag(TagButton, b.bytes);
}

inline Bytes movieOf(const Bytes& tags, enc::MovieHeader header = {}) {
  return enc::buildMovie(header, tags);
}

inline Matrix translation(int32_t tx, int32_t ty) {
  Matrix m;
  m.tx = tx;
  m.ty = ty;
  return m;
}

inline void feed(Movie& movie, const Bytes& bytes, size_t from = 0, size_t to = SIZE_MAX) {
  if (to > bytes.size()) to = bytes.size();
  if (from >= to) return;
  movie.appendData(bytes.data() + from, static_cast<int32_t>(to - from));
}

// A movie drawing into its own display list, as the player wires them.
struct Stage : MovieStage {
  Stage() = default;
  explicit Stage(const Bytes& file) { feed(movie, file); }

  int objectCount() const {
    int n = 0;
    for (const DisplayObject* o = list.firstObject; o; o = o->next) ++n;
    return n;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.xmin << "," << r.xmax << "," << r.ymin << "," << r.ymax << ")";
}

inline std::ostream& operator<<(std::ostream& out, const Matrix& m) {
  return out << "[" << m.a << " " << m.b << " " << m.c << " " << m.d << " " << m.tx << " " << m.ty << "]";
}

// Everything a frame leaves behind that the player would show or keep:
// the objects in list order, the changed area, the background, the frame
// number and the dictionary. Equal strings mean equal states.
inline std::string describe(const Stage& stage) {
  std::ostringstream out;
  out << "frame " << stage.movie.currentFrame << (stage.movie.ended ? " ended" : "") << "\n";
  for (const DisplayObject* o = stage.list.firstObject; o; o = o->next) {
    out << "  object " << std::hex << o->key << std::dec << " char " << o->character->id << " kind "
        << o->character->kind << " at " << o->placement << " bounds " << o->deviceBounds << " state "
        << o->buttonState << "\n";
  }
  out << "changed " << stage.list.changedArea << " background " << std::hex << stage.list.background
      << std::dec << "/" << stage.list.backgroundPriority << "\n";
  for (const CharacterRecord* head : stage.movie.buckets) {
    for (const CharacterRecord* c = head; c; c = c->next) {
      out << "  char " << c->id << " kind " << c->kind << " body " << c->bodyOffset << "-" << c->tagEnd
          << " bounds " << c->bounds << "\n";
    }
  }
  out << "actions " << stage.movie.actionCount << " jpeg " << (stage.movie.jpegDecoder != nullptr);
  return out.str();
}

// True when every placed object points at a record that is still in the
// dictionary: nothing refers to freed memory.
inline bool objectsPointAtLiveRecords(const Stage& stage) {
  for (const DisplayObject* o = stage.list.firstObject; o; o = o->next) {
    bool found = false;
    for (const CharacterRecord* head : stage.movie.buckets) {
      for (const CharacterRecord* c = head; c && !found; c = c->next) found = c == o->character;
    }
    if (!found) return false;
  }
  return true;
}

}  // namespace lmr::test
