// What the player shows: the characters placed on the stage, each with its
// matrix and key, and the bookkeeping that keeps redrawing small. Every
// change (an object placed or removed, the background, the view) joins a
// rectangle to `changedArea`; `render` redraws only that area.
//
// Call order: initDisplayList once; then any number of place, remove,
// background and view calls with `render` between them; destroyDisplayList
// (or destruction) at the end. A movie that points at this list must be
// reset, or stop pointing at it, before the list goes.
#pragma once

#include <cstdint>

#include "player/engine/block_pool.h"
#include "player/engine/display_object.h"
#include "player/engine/records.h"
#include "player/render/raster_context.h"

namespace lmr {

struct CharacterRecord;
struct Offscreen;

constexpr uint32_t DisplayObjectsPerChunk = 32;
constexpr uint32_t FillRecordsPerChunk = 64;
constexpr uint32_t EdgeRecordsPerChunk = 600;

// backgroundPriority: who set the background colour. A colour is only
// replaced by a setter of higher priority; rewinds forget the movie's.
constexpr int32_t BackgroundUnset = 0;
constexpr int32_t BackgroundFromMovie = 1;
constexpr int32_t BackgroundFromPage = 3;
constexpr PackedColor BackgroundWhite = 0xFFFFFFFF;

// The device area invalidateAll covers when there is no offscreen with
// pixels yet, in pixels on each side.
constexpr int32_t DefaultDeviceSide = 2000;
// Raster units per pixel on each axis with antialias.
constexpr int32_t AntialiasScale = 4;
// changedPixels grows the area by this many pixels on every side.
constexpr int32_t ChangedPixelsMargin = 2;

// Bytes of statusText, terminator included.
constexpr int32_t StatusTextBytes = 512;
// Buttons may show buttons; deeper nesting than this places (and removes)
// no further children, so a button that names itself cannot recurse without
// end.
constexpr int32_t MaxButtonNesting = 8;

struct DisplayList {
  Matrix viewMatrix;  // movie units to device units
  PackedColor background = BackgroundWhite;
  int32_t backgroundPriority = BackgroundUnset;
  Offscreen* offscreen = nullptr;          // the player's, or none
  bool antialias = false;                  // device units are quarter pixels
  bool preferSpeed = false;                // passed to the renderer
  bool deviceFonts = false;                // texts may use system fonts
  Rect changedArea;                        // device units: what must be rendered again
  Rect pendingScreenArea;                  // pixels: rendered, not yet copied to the window
  RasterContext rasterContext;             // the renderer's state
  DisplayObject* firstObject = nullptr;    // newest first
  DisplayObject* trackedButton = nullptr;  // the button the mouse interacts with
  int32_t trackedState = 0;                // the state last given to it
  uint32_t trackedKey = 0;                 // its key; 0 when none
  char statusText[StatusTextBytes] = {};   // the tracked button's link, or empty
  BlockPool objectPool;
  BlockPool fillPool;         // the renderer's FillStyle records
  BlockPool edgePool;         // the renderer's Edge records
  int32_t buttonNesting = 0;  // buttons being placed or removed inside one another
  bool initialized = false;

  DisplayList() = default;
  ~DisplayList() { destroyDisplayList(); }
  DisplayList(const DisplayList&) = delete;
  DisplayList& operator=(const DisplayList&) = delete;

  void initDisplayList();
  // clearAll, then the pools and the renderer state go.
  void destroyDisplayList();

  // A new object in front of the list, or none when the pool has no memory
  // (the place is dropped). A button places the children of its state.
  DisplayObject* placeObject(CharacterRecord* character, uint32_t key, const Matrix& matrix);
  // Removes the first object with this key, if any; a button takes its
  // children along.
  void removeObject(uint32_t key);
  // The first object in list order with this key (and the one before it,
  // none for the head), or none.
  DisplayObject* findObject(uint32_t key, DisplayObject** before = nullptr) const;
  // Removes every object that shows a character of this id.
  void removeObjectsOfCharacter(uint16_t id);
  // Removes every object; their bounds join the changed area. Tracking by
  // key survives, so a button rebuilt under the same key is tracked again.
  void clearAll();

  void setBackground(PackedColor color, int32_t priority);
  // Forgets a background of priority BackgroundFromMovie or less.
  void resetBackground();
  void setOffscreen(Offscreen* target);
  // Takes a new view matrix and antialias flag; every object's device
  // matrix and bounds are recomputed and its drawing records dropped.
  void applyView(const Matrix& matrix, bool antialiasOn);
  // The whole device area becomes the changed area.
  void invalidateAll();
  // The changed area in whole pixels, enlarged by ChangedPixelsMargin.
  Rect changedPixels() const;
  // Renders the changed area into the offscreen.
  void render();

 private:
  void joinChanged(const Rect& area);
  void placeDeviceGeometry(DisplayObject& object);
  void removeFound(DisplayObject* object);
  void unlink(DisplayObject* object);
  void releaseObject(DisplayObject* object);
};

}  // namespace lmr
