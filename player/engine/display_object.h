// One placed character on the stage: a block of the display list's object
// pool. Objects are found by their whole key, id << 16 | depth; the depth
// alone orders drawing (higher in front).
#pragma once

#include <cstdint>

#include "player/engine/records.h"

namespace lmr {

struct CharacterRecord;
struct DisplayList;
struct Edge;
struct FillStyle;

constexpr uint32_t objectKey(uint32_t id, uint32_t depth) {
  return id << 16 | (depth & 0xFFFF);
}
constexpr uint32_t keyDepth(uint32_t key) {
  return key & 0xFFFF;
}
constexpr uint32_t keyId(uint32_t key) {
  return key >> 16;
}

struct DisplayObject {
  DisplayObject* next;         // placing order, newest first
  DisplayList* list;           // the owner
  CharacterRecord* character;  // never a freed record: dropping a character removes its objects
  uint32_t key;                // id << 16 | depth
  Matrix placement;            // from the place tag (a button child: record matrix, then the button's)
  Matrix deviceMatrix;         // placement, then the list's viewMatrix
  Rect deviceBounds;           // bounds under deviceMatrix; empty for buttons
  uint16_t buttonState;        // state bits a button shows; 0 for other objects
  uint8_t drawn;               // rendered at least once
  Edge* edgeRecords;           // the renderer's edges; none until first rendered
  FillStyle* fillRecords;      // the renderer's fills; none until first rendered
  // Set while setButtonState walks this button: removal by key passes over
  // it, so a button whose records name its own key cannot free itself in
  // the middle of the walk.
  uint8_t stateChanging;
};

}  // namespace lmr
