// The character dictionary: 32 buckets of records chained newest first,
// so a redefined id finds its newest record.
#include <new>

#include "player/engine/movie.h"

namespace lmr {

CharacterRecord* Movie::findCharacter(uint16_t id) const {
  for (CharacterRecord* r = buckets[id & DictionaryMask]; r; r = r->next) {
    if (r->id == id) return r;
  }
  return nullptr;
}

CharacterRecord* Movie::addCharacter(uint16_t id) {
  void* block = characterPool.allocBlock();
  if (!block) return nullptr;
  CharacterRecord* record = new (block) CharacterRecord{};
  CharacterRecord*& head = buckets[id & DictionaryMask];
  record->next = head;
  record->movie = this;
  record->id = id;
  head = record;
  return record;
}

void Movie::removeCharacters(uint16_t id) {
  CharacterRecord** link = &buckets[id & DictionaryMask];
  while (*link) {
    CharacterRecord* r = *link;
    if (r->id == id) {
      *link = r->next;
      freeCharacter(r);
    } else {
      link = &r->next;
    }
  }
}

void Movie::freeAllCharacters() {
  for (CharacterRecord*& head : buckets) {
    while (head) {
      CharacterRecord* r = head;
      head = r->next;
      freeCharacter(r);
    }
  }
}

void Movie::freeCharacter(CharacterRecord* record) {
  if (record->kind == KindBitmap) releaseImage(record->data.bitmap.image);
  characterPool.freeBlock(record);
}

}  // namespace lmr
