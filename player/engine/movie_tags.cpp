// What each tag does once all of its bytes are in. The movie's reader is
// at the tag body, its hard limit the tag end: a body too short for its
// fixed fields reads zeros and sets `overrun`, and then the tag does
// nothing. The cursor moves to the tag end afterwards, whatever was read.
#include "player/engine/display_list.h"
#include "player/engine/jpeg_glue.h"
#include "player/engine/movie.h"
#include "player/engine/movie_format.h"
#include "player/render/drawing_records.h"

namespace lmr {

namespace {

// Whether any record of this id (shadowed ones included) is a bitmap.
bool DefinesBitmap(const Movie& movie, uint16_t id) {
  for (const CharacterRecord* c = movie.buckets[id & DictionaryMask]; c; c = c->next) {
    if (c->id == id && c->kind == KindBitmap) return true;
  }
  return false;
}

}  // namespace

void Movie::executeTag(uint32_t code) {
  StreamReader& r = reader;
  switch (code) {
    case TagEnd:
      ended = true;
      break;

    case TagFrame:
      ++currentFrame;
      break;

    case TagShape:
    case TagText: {
      uint16_t id = static_cast<uint16_t>(r.readU16());
      Rect bounds = r.readRect();
      if (r.overrun) break;
      CharacterRecord* c = addCharacter(id);
      if (!c) break;  // no memory: the definition is skipped
      c->kind = code == TagShape ? KindShape : KindText;
      c->bounds = bounds;
      c->bodyOffset = r.pos;
      c->tagEnd = tagEnd;
      break;
    }

    case TagButton:
    case TagFont: {
      uint16_t id = static_cast<uint16_t>(r.readU16());
      if (r.overrun) break;
      CharacterRecord* c = addCharacter(id);
      if (!c) break;
      c->kind = code == TagButton ? KindButton : KindFont;
      c->bodyOffset = r.pos;  // bounds stay empty
      c->tagEnd = tagEnd;
      break;
    }

    case TagFontFace: {
      uint16_t id = static_cast<uint16_t>(r.readU16());
      if (r.overrun) break;
      CharacterRecord* c = findCharacter(id);
      if (!c || c->kind != KindFont) break;
      c->data.font.fontDetailsOffset = r.pos;
      c->data.font.fontDetailsEnd = tagEnd;
      break;
    }

    case TagDropCharacter: {
      uint16_t id = static_cast<uint16_t>(r.readU16());
      if (r.overrun) break;
      // Objects showing the character go first (a button takes its
      // children along), so no object is left pointing at a freed record.
      if (displayList) displayList->removeObjectsOfCharacter(id);
      // Fills of placed shapes point at a bitmap's image and pixel rows:
      // when a bitmap goes, every object's drawing records go too, to be
      // built again (with the fallback colour) on the next render.
      if (displayList && DefinesBitmap(*this, id)) {
        for (DisplayObject* o = displayList->firstObject; o; o = o->next) ReleaseDrawingRecords(*o);
        displayList->invalidateAll();
      }
      removeCharacters(id);
      break;
    }

    case TagPlace: {
      uint32_t id = r.readU16();
      uint32_t depth = r.readU16();
      Matrix m = r.readMatrix();
      if (r.overrun || !displayList) break;
      CharacterRecord* c = findCharacter(static_cast<uint16_t>(id));
      if (c) displayList->placeObject(c, objectKey(id, depth), m);
      break;
    }

    case TagRemove: {
      uint32_t id = r.readU16();
      uint32_t depth = r.readU16();
      if (r.overrun || !displayList) break;
      displayList->removeObject(objectKey(id, depth));
      break;
    }

    case TagBackground: {
      PackedColor color = r.readRgbPacked();
      if (r.overrun || !displayList) break;
      displayList->setBackground(color, BackgroundFromMovie);
      break;
    }

    case TagActions:
      if (actionCount < MaxQueuedActions) {
        actionOffsets[actionCount] = r.pos;
        actionEnds[actionCount] = tagEnd;
        ++actionCount;
      }
      break;

    case TagJpegSetup:
      setupJpeg(*this);
      break;

    case TagJpegImage:
      defineJpegImage(*this);
      break;

    default:
      break;  // codes 14 to 1023: skipped by their length
  }
}

}  // namespace lmr
