#include "player/engine/buttons.h"

#include "player/engine/character_record.h"
#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/engine/movie.h"

namespace lmr {

namespace {

// One button record: state bits, child id, depth offset, child matrix.
struct ButtonRecord {
  uint32_t states;
  uint32_t id;
  uint32_t depth;
  Matrix matrix;
};

// Reads the next record; false at the end marker, at the tag end, or when
// the record runs past it.
bool readButtonRecord(StreamReader& r, ButtonRecord& out) {
  out.states = r.readU8();
  if (r.overrun || out.states == 0) return false;
  out.id = r.readU16();
  out.depth = r.readU16();
  out.matrix = r.readMatrix();
  return !r.overrun;
}

}  // namespace

void setButtonState(DisplayList& list, DisplayObject& button, uint16_t state) {
  uint16_t old = button.buttonState;
  if (state == old) return;
  const CharacterRecord* c = button.character;
  if (!c || c->kind != KindButton || !c->movie || !c->movie->reader.data) {
    button.buttonState = state;
    return;
  }
  Movie& movie = *c->movie;
  uint32_t buttonDepth = keyDepth(button.key);
  button.stateChanging = 1;

  StreamReader r = StreamReader::over(movie.reader.data, c->bodyOffset, c->tagEnd);
  ButtonRecord record;
  while (readButtonRecord(r, record)) {
    if ((record.states & old) && !(record.states & state)) {
      list.removeObject(objectKey(record.id, record.depth + buttonDepth));
    }
  }

  r = StreamReader::over(movie.reader.data, c->bodyOffset, c->tagEnd);
  while (readButtonRecord(r, record)) {
    if ((record.states & state) && !(record.states & old)) {
      CharacterRecord* child = movie.findCharacter(static_cast<uint16_t>(record.id));
      if (!child) continue;
      list.placeObject(child, objectKey(record.id, record.depth + buttonDepth),
                       matrixConcat(record.matrix, button.placement));
    }
  }

  button.buttonState = state;
  button.stateChanging = 0;
}

}  // namespace lmr
