#include "player/render/drawing_records.h"

#include "player/engine/character_record.h"
#include "player/engine/display_list.h"
#include "player/engine/display_object.h"
#include "player/engine/movie.h"
#include "player/render/curve.h"
#include "player/render/edge.h"
#include "player/render/fill_prepare.h"
#include "player/render/fill_style.h"
#include "player/render/shape_walk.h"
#include "player/render/text_records.h"

namespace lmr {

void BuildDrawingRecords(DisplayObject& object) {
  // A shape that yields fill records but no edges counts as built too:
  // building it again would stack a new set of fills on every frame.
  if (object.edgeRecords || object.fillRecords) return;
  CharacterRecord* character = object.character;
  if (!character || !character->movie || !object.list) return;
  Movie& movie = *character->movie;
  if (movie.error != 0) return;
  if (character->kind == KindText) {
    BuildTextRecords(object);
    return;
  }
  if (character->kind != KindShape) return;
  ShapeContext context;
  OpenShapeContext(context, *object.list, movie, character->bodyOffset, character->tagEnd, object.deviceMatrix);
  context.glyphMode = false;
  context.object = &object;
  BuildShapeEdges(context, true, &object.deviceBounds);
}

void ReleaseDrawingRecords(DisplayObject& object) {
  DisplayList* list = object.list;
  if (!list) return;
  for (Edge* e = object.edgeRecords; e;) {
    Edge* next = e->next;
    list->edgePool.freeBlock(e);
    e = next;
  }
  object.edgeRecords = nullptr;
  for (FillStyle* f = object.fillRecords; f;) {
    FillStyle* next = f->next;
    ReleaseFill(*f);
    list->fillPool.freeBlock(f);
    f = next;
  }
  object.fillRecords = nullptr;
}

bool HitTestShape(DisplayObject& object, Point point) {
  if (!rectContains(object.deviceBounds, point)) return false;
  if (!object.edgeRecords) BuildDrawingRecords(object);
  bool crossed = false;
  for (const Edge* e = object.edgeRecords; e; e = e->next) {
    if (point.y < e->y0 || point.y >= e->y1) continue;
    Curve c = MakeCurve(Point{e->x0, e->y0}, Point{e->cx, e->cy}, Point{e->x1, e->y1});
    c.straight = e->straight;
    if (CurveCrossings(c, point, 0) == 0) continue;
    crossed = true;
    switch (e->kind) {
      case EdgeTwoFill:
        e->fillA->active ^= 1;
        if (e->fillB) e->fillB->active ^= 1;
        break;
      case EdgeWinding: e->fillA->active += e->dir; break;
      default: e->fillA->active ^= 1; break;
    }
  }
  if (!crossed) return false;
  bool inside = false;
  for (FillStyle* f = object.fillRecords; f; f = f->next) {
    if (f->active != 0) inside = true;
    f->active = 0;
  }
  return inside;
}

}  // namespace lmr
