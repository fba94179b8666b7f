#include "player/engine/display_list.h"

#include <new>

#include "player/engine/buttons.h"
#include "player/engine/character_record.h"
#include "player/engine/geometry.h"
#include "player/render/drawing_records.h"
#include "player/render/edge.h"
#include "player/render/fill_style.h"
#include "player/render/offscreen.h"

namespace lmr {

void DisplayList::initDisplayList() {
  destroyDisplayList();
  viewMatrix = Matrix{};
  background = BackgroundWhite;
  backgroundPriority = BackgroundUnset;
  offscreen = nullptr;
  antialias = preferSpeed = deviceFonts = false;
  changedArea = Rect{};
  pendingScreenArea = Rect{};
  firstObject = nullptr;
  trackedButton = nullptr;
  trackedState = 0;
  trackedKey = 0;
  statusText[0] = 0;
  buttonNesting = 0;
  objectPool.initPool(sizeof(DisplayObject), DisplayObjectsPerChunk);
  fillPool.initPool(sizeof(FillStyle), FillRecordsPerChunk);
  edgePool.initPool(sizeof(Edge), EdgeRecordsPerChunk);
  InitRasterContext(rasterContext);
  initialized = true;
}

void DisplayList::destroyDisplayList() {
  if (!initialized) return;
  clearAll();
  DestroyRasterContext(rasterContext);
  objectPool.destroyPool();
  fillPool.destroyPool();
  edgePool.destroyPool();
  initialized = false;
}

void DisplayList::joinChanged(const Rect& area) {
  if (rectIsEmpty(area)) return;
  changedArea = rectUnion(changedArea, area);
}

// Device matrix and bounds from the placement and the view. Buttons draw
// nothing themselves (their children do) and bitmaps only through fills,
// so objects without bounds get empty device bounds.
void DisplayList::placeDeviceGeometry(DisplayObject& object) {
  object.deviceMatrix = matrixConcat(object.placement, viewMatrix);
  const CharacterRecord* c = object.character;
  if (c->kind == KindButton || rectIsEmpty(c->bounds)) {
    rectSetEmpty(object.deviceBounds);
  } else {
    object.deviceBounds = transformRect(object.deviceMatrix, c->bounds);
  }
}

DisplayObject* DisplayList::placeObject(CharacterRecord* character, uint32_t key, const Matrix& matrix) {
  if (!character) return nullptr;
  void* block = objectPool.allocBlock();
  if (!block) return nullptr;  // no memory: the place is dropped
  DisplayObject* object = new (block) DisplayObject{};
  object->next = firstObject;
  firstObject = object;
  object->list = this;
  object->character = character;
  object->key = key;
  object->placement = matrix;
  placeDeviceGeometry(*object);

  if (character->kind != KindButton) {
    joinChanged(object->deviceBounds);
    return object;
  }
  // A button placed again under the tracked key gets its tracked state
  // back (a rewind rebuilt it); any other starts idle.
  uint16_t state = BtnIdle;
  if (trackedKey != 0 && key == trackedKey && trackedState != 0) {
    state = static_cast<uint16_t>(trackedState);
    trackedButton = object;
  }
  if (buttonNesting < MaxButtonNesting) {
    ++buttonNesting;
    setButtonState(*this, *object, state);
    --buttonNesting;
  }
  return object;
}

DisplayObject* DisplayList::findObject(uint32_t key, DisplayObject** before) const {
  DisplayObject* previous = nullptr;
  for (DisplayObject* o = firstObject; o; previous = o, o = o->next) {
    if (o->key == key) {
      if (before) *before = previous;
      return o;
    }
  }
  if (before) *before = nullptr;
  return nullptr;
}

void DisplayList::removeObject(uint32_t key) {
  for (DisplayObject* o = firstObject; o; o = o->next) {
    if (o->key == key && !o->stateChanging) {
      removeFound(o);
      return;
    }
  }
}

void DisplayList::removeObjectsOfCharacter(uint16_t id) {
  for (;;) {
    DisplayObject* o = firstObject;
    while (o && o->character->id != id) o = o->next;
    if (!o) return;
    removeFound(o);
  }
}

void DisplayList::unlink(DisplayObject* object) {
  for (DisplayObject** link = &firstObject; *link; link = &(*link)->next) {
    if (*link == object) {
      *link = object->next;
      return;
    }
  }
}

void DisplayList::releaseObject(DisplayObject* object) {
  ReleaseDrawingRecords(*object);
  objectPool.freeBlock(object);
}

void DisplayList::removeFound(DisplayObject* object) {
  // Out of the list first: removing a button's children by key must not
  // find the button itself.
  unlink(object);
  if (object->character->kind == KindButton) {
    if (trackedButton == object) trackedButton = nullptr;
    if (buttonNesting < MaxButtonNesting) {
      ++buttonNesting;
      setButtonState(*this, *object, 0);
      --buttonNesting;
    }
  }
  // An object never rendered added its bounds when it was placed.
  if (object->drawn) joinChanged(object->deviceBounds);
  releaseObject(object);
}

void DisplayList::clearAll() {
  while (firstObject) {
    DisplayObject* o = firstObject;
    firstObject = o->next;
    joinChanged(o->deviceBounds);
    releaseObject(o);
  }
  trackedButton = nullptr;
  resetBackground();
}

void DisplayList::setBackground(PackedColor color, int32_t priority) {
  if (color == background || backgroundPriority >= priority) return;
  invalidateAll();
  backgroundPriority = priority;
  background = color;
}

void DisplayList::resetBackground() {
  if (backgroundPriority > BackgroundFromMovie) return;
  background = BackgroundWhite;
  backgroundPriority = BackgroundUnset;
  invalidateAll();
}

void DisplayList::setOffscreen(Offscreen* target) {
  offscreen = target;
  invalidateAll();
}

void DisplayList::applyView(const Matrix& matrix, bool antialiasOn) {
  if (matrix == viewMatrix && antialiasOn == antialias) return;
  viewMatrix = matrix;
  antialias = antialiasOn;
  invalidateAll();
  for (DisplayObject* o = firstObject; o; o = o->next) {
    ReleaseDrawingRecords(*o);
    placeDeviceGeometry(*o);
  }
}

void DisplayList::invalidateAll() {
  int32_t width = DefaultDeviceSide;
  int32_t height = DefaultDeviceSide;
  if (offscreen && offscreen->bits && offscreen->width > 0 && offscreen->height > 0) {
    width = offscreen->width;
    height = offscreen->height;
  }
  if (antialias) {
    width *= AntialiasScale;
    height *= AntialiasScale;
  }
  changedArea = Rect{0, width, 0, height};
}

Rect DisplayList::changedPixels() const {
  Rect r = changedArea;
  if (rectIsEmpty(r)) return r;
  if (antialias) {
    // Division truncates towards zero, as the area was always measured.
    r.xmin /= AntialiasScale;
    r.xmax /= AntialiasScale;
    r.ymin /= AntialiasScale;
    r.ymax /= AntialiasScale;
  }
  return rectInset(-ChangedPixelsMargin, r);
}

}  // namespace lmr
