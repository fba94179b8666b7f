#include "player/engine/display_list.h"

#include <gtest/gtest.h>

#include <string>

#include "player/engine/buttons.h"
#include "player/engine/chunk_memory.h"
#include "player/engine/geometry.h"
#include "player/engine/tests/movie_fixture.h"
#include "player/render/offscreen.h"

namespace lmr {
namespace {

using test::join;
using test::Stage;
using test::translation;

struct ChunkFailGuard {
  explicit ChunkFailGuard(long n) { setChunkFailAfter(n); }
  ~ChunkFailGuard() { setChunkFailAfter(-1); }
};

CharacterRecord shapeRecord(uint16_t id, const Rect& bounds) {
  CharacterRecord r{};
  r.id = id;
  r.kind = KindShape;
  r.bounds = bounds;
  return r;
}

struct List {
  DisplayList list;
  List() { list.initDisplayList(); }
  int count() const {
    int n = 0;
    for (const DisplayObject* o = list.firstObject; o; o = o->next) ++n;
    return n;
  }
};

const Rect kBox{0, 100, 0, 50};

TEST(DisplayList, SameKeyTwiceGivesTwoObjectsAndOneRemoveTakesTheNewer) {
  List l;
  CharacterRecord c = shapeRecord(3, kBox);
  DisplayObject* older = l.list.placeObject(&c, objectKey(3, 1), Matrix{});
  DisplayObject* newer = l.list.placeObject(&c, objectKey(3, 1), translation(10, 0));
  ASSERT_NE(older, nullptr);
  ASSERT_NE(newer, nullptr);
  EXPECT_EQ(l.count(), 2);
  EXPECT_EQ(l.list.findObject(objectKey(3, 1)), newer);
  l.list.removeObject(objectKey(3, 1));
  EXPECT_EQ(l.count(), 1);
  EXPECT_EQ(l.list.firstObject, older);
  // Ids and depths are both part of the key.
  l.list.removeObject(objectKey(3, 2));
  l.list.removeObject(objectKey(4, 1));
  EXPECT_EQ(l.count(), 1);
}

TEST(DisplayList, FindObjectGivesThePreviousObject) {
  List l;
  CharacterRecord c = shapeRecord(3, kBox);
  DisplayObject* a = l.list.placeObject(&c, 1, Matrix{});
  DisplayObject* b = l.list.placeObject(&c, 2, Matrix{});
  DisplayObject* before = a;
  EXPECT_EQ(l.list.findObject(2, &before), b);
  EXPECT_EQ(before, nullptr);
  EXPECT_EQ(l.list.findObject(1, &before), a);
  EXPECT_EQ(before, b);
  EXPECT_EQ(l.list.findObject(9, &before), nullptr);
}

TEST(DisplayList, ChangedAreaFromPlacingAndRemoving) {
  struct Case {
    const char* name;
    bool renderedBetween;
    Rect changedAfterRemove;
  };
  const Rect placed{10, 110, 20, 70};  // kBox moved by (10, 20)
  const Case cases[] = {
      // Never rendered: the place already added the bounds, the remove adds nothing.
      {"removed before any render", false, placed},
      // Rendered: the remove must redraw where it was.
      {"removed after a render", true, placed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List l;
    CharacterRecord shape = shapeRecord(3, kBox);
    DisplayObject* o = l.list.placeObject(&shape, objectKey(3, 1), translation(10, 20));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->deviceBounds, placed);
    EXPECT_EQ(l.list.changedArea, placed);
    if (c.renderedBetween) {
      o->drawn = 1;
      rectSetEmpty(l.list.changedArea);
    }
    l.list.removeObject(objectKey(3, 1));
    EXPECT_EQ(l.list.changedArea, c.changedAfterRemove);
  }
}

TEST(DisplayList, ChangedPixels) {
  struct Case {
    Rect area;
    bool antialias;
    Rect pixels;
  };
  const Case cases[] = {
      {Rect{-5, 7, 0, 3}, true, Rect{-3, 3, -2, 2}},  // quarter pixels truncate towards zero
      {Rect{-5, 7, 0, 3}, false, Rect{-7, 9, -2, 5}},
      {Rect{400, 803, 4, 8}, true, Rect{98, 202, -1, 4}},
      {Rect{}, true, Rect{}},
      {Rect{}, false, Rect{}},
  };
  for (const Case& c : cases) {
    List l;
    l.list.antialias = c.antialias;
    l.list.changedArea = c.area;
    EXPECT_EQ(l.list.changedPixels(), c.pixels) << c.area.xmin << " " << c.antialias;
  }
}

// Fault "one huge object cancels a redraw": an object whose bounds reach
// the end of the 32-bit range made the margin of the changed area wrap, the
// area became empty, and not even the small object next to it was drawn.
TEST(DisplayList, AHugeObjectKeepsTheChangedAreaWhole) {
  for (const bool antialias : {false, true}) {
    SCOPED_TRACE(antialias ? "anti-aliased" : "plain");
    List l;
    l.list.antialias = antialias;
    CharacterRecord huge = shapeRecord(1, Rect{-5000, INT32_MAX - 1, -5000, INT32_MAX});
    CharacterRecord small = shapeRecord(2, Rect{10, 20, 10, 20});
    ASSERT_NE(l.list.placeObject(&huge, objectKey(1, 1), Matrix{}), nullptr);
    ASSERT_NE(l.list.placeObject(&small, objectKey(2, 2), Matrix{}), nullptr);
    const Rect pixels = l.list.changedPixels();
    ASSERT_FALSE(rectIsEmpty(pixels));
    const int32_t scale = antialias ? AntialiasScale : 1;
    EXPECT_TRUE(rectContains(pixels, Point{10 / scale, 10 / scale}));
    EXPECT_TRUE(rectContains(pixels, Point{20 / scale, 20 / scale}));
    EXPECT_EQ(pixels.xmax, antialias ? (INT32_MAX - 1) / AntialiasScale + ChangedPixelsMargin : INT32_MAX);
  }
}

TEST(DisplayList, InvalidateAllCoversTheDeviceArea) {
  struct Case {
    bool offscreen;
    bool withPixels;
    bool antialias;
    Rect area;
  };
  const Case cases[] = {
      {false, false, false, Rect{0, 2000, 0, 2000}}, {false, false, true, Rect{0, 8000, 0, 8000}},
      {true, false, true, Rect{0, 8000, 0, 8000}},  // an offscreen without pixels is not usable
      {true, true, false, Rect{0, 100, 0, 50}},      {true, true, true, Rect{0, 400, 0, 200}},
  };
  uint8_t pixels[4] = {};
  for (const Case& c : cases) {
    List l;
    Offscreen target;
    target.width = 100;
    target.height = 50;
    target.bits = c.withPixels ? pixels : nullptr;
    l.list.antialias = c.antialias;
    l.list.setOffscreen(c.offscreen ? &target : nullptr);
    EXPECT_EQ(l.list.changedArea, c.area) << c.offscreen << c.withPixels << c.antialias;
  }
}

TEST(DisplayList, ApplyViewRecomputesOnlyWhenSomethingChanged) {
  List l;
  CharacterRecord shape = shapeRecord(3, kBox);
  DisplayObject* o = l.list.placeObject(&shape, objectKey(3, 1), translation(10, 20));
  ASSERT_NE(o, nullptr);
  rectSetEmpty(l.list.changedArea);

  l.list.applyView(Matrix{}, false);
  EXPECT_TRUE(rectIsEmpty(l.list.changedArea));

  Matrix scale4 = matrixScale(4 * FixedOne, 4 * FixedOne);
  l.list.applyView(scale4, true);
  EXPECT_EQ(l.list.changedArea, (Rect{0, 8000, 0, 8000}));
  EXPECT_EQ(o->deviceBounds, (Rect{40, 440, 80, 280}));
  EXPECT_EQ(o->deviceMatrix, matrixConcat(o->placement, scale4));

  rectSetEmpty(l.list.changedArea);
  l.list.applyView(scale4, true);
  EXPECT_TRUE(rectIsEmpty(l.list.changedArea));
  l.list.applyView(scale4, false);  // the flag alone counts
  EXPECT_EQ(l.list.changedArea, (Rect{0, 2000, 0, 2000}));
}

TEST(DisplayList, BackgroundPriorities) {
  const PackedColor red = packColor(255, 0, 0);
  const PackedColor green = packColor(0, 255, 0);
  const PackedColor blue = packColor(0, 0, 255);
  struct Step {
    char op;  // 'p' page colour, 'm' movie colour, 'c' clearAll (rewind)
    PackedColor color;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    PackedColor background;
    int32_t priority;
  };
  const Case cases[] = {
      {"movie colour", {{'m', red}}, red, BackgroundFromMovie},
      {"first movie colour wins", {{'m', red}, {'m', green}}, red, BackgroundFromMovie},
      {"a rewind forgets the movie colour", {{'m', red}, {'c', 0}}, BackgroundWhite, BackgroundUnset},
      {"after a rewind the next movie colour applies",
       {{'m', red}, {'c', 0}, {'m', green}},
       green,
       BackgroundFromMovie},
      {"page colour beats the movie", {{'p', blue}, {'m', red}}, blue, BackgroundFromPage},
      {"page colour replaces a movie colour", {{'m', red}, {'p', blue}}, blue, BackgroundFromPage},
      {"page colour survives rewinds", {{'p', blue}, {'c', 0}, {'m', red}}, blue, BackgroundFromPage},
      {"white page colour stores nothing", {{'p', BackgroundWhite}, {'m', red}}, red, BackgroundFromMovie},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List l;
    for (const Step& s : c.steps) {
      if (s.op == 'p') l.list.setBackground(s.color, BackgroundFromPage);
      if (s.op == 'm') l.list.setBackground(s.color, BackgroundFromMovie);
      if (s.op == 'c') l.list.clearAll();
    }
    EXPECT_EQ(l.list.background, c.background);
    EXPECT_EQ(l.list.backgroundPriority, c.priority);
  }
}

TEST(DisplayList, IneffectiveBackgroundsInvalidateNothing) {
  List l;
  l.list.setBackground(BackgroundWhite, BackgroundFromPage);
  EXPECT_TRUE(rectIsEmpty(l.list.changedArea));
  l.list.setBackground(packColor(1, 1, 1), BackgroundFromPage);
  EXPECT_FALSE(rectIsEmpty(l.list.changedArea));
  rectSetEmpty(l.list.changedArea);
  l.list.setBackground(packColor(2, 2, 2), BackgroundFromMovie);
  EXPECT_TRUE(rectIsEmpty(l.list.changedArea));
}

TEST(DisplayList, ClearAllJoinsEveryObjectAndKeepsTrackingByKey) {
  List l;
  CharacterRecord shape = shapeRecord(3, kBox);
  l.list.placeObject(&shape, objectKey(3, 1), translation(-50, 0));
  DisplayObject* drawn = l.list.placeObject(&shape, objectKey(3, 2), translation(1000, 1000));
  drawn->drawn = 1;
  l.list.trackedKey = objectKey(9, 9);
  l.list.trackedState = BtnHover;
  l.list.setBackground(packColor(255, 0, 0), BackgroundFromPage);  // survives, so no invalidation
  rectSetEmpty(l.list.changedArea);
  l.list.clearAll();
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.list.changedArea, (Rect{-50, 1100, 0, 1050}));
  EXPECT_EQ(l.list.trackedButton, nullptr);
  EXPECT_EQ(l.list.trackedKey, objectKey(9, 9));
  EXPECT_EQ(l.list.trackedState, BtnHover);
}

TEST(DisplayList, RemoveObjectsOfCharacter) {
  List l;
  CharacterRecord a = shapeRecord(3, kBox);
  CharacterRecord b = shapeRecord(4, kBox);
  l.list.placeObject(&a, objectKey(3, 1), Matrix{});
  l.list.placeObject(&b, objectKey(4, 1), Matrix{});
  l.list.placeObject(&a, objectKey(3, 2), Matrix{});
  l.list.removeObjectsOfCharacter(3);
  ASSERT_EQ(l.count(), 1);
  EXPECT_EQ(l.list.firstObject->character, &b);
}

TEST(DisplayList, PlaceWithoutMemoryIsDropped) {
  List l;
  CharacterRecord shape = shapeRecord(3, kBox);
  {
    ChunkFailGuard failing(0);
    EXPECT_EQ(l.list.placeObject(&shape, objectKey(3, 1), Matrix{}), nullptr);
  }
  EXPECT_EQ(l.count(), 0);
  EXPECT_TRUE(rectIsEmpty(l.list.changedArea));
  l.list.removeObject(objectKey(3, 1));
  EXPECT_NE(l.list.placeObject(&shape, objectKey(3, 1), Matrix{}), nullptr);
}

TEST(DisplayList, DestroyThenInitAgain) {
  DisplayList list;
  list.initDisplayList();
  CharacterRecord shape = shapeRecord(3, kBox);
  list.placeObject(&shape, 1, Matrix{});
  list.destroyDisplayList();
  EXPECT_EQ(list.firstObject, nullptr);
  list.initDisplayList();
  EXPECT_NE(list.placeObject(&shape, 1, Matrix{}), nullptr);
  EXPECT_TRUE(list.initialized);
}

// Button 3 shows child A (id 1) when idle, B (id 2) when hovered or
// pressed, C (id 4) always; A is also its hit area.
test::Bytes buttonMovie() {
  const Rect small{0, 10, 0, 10};
  return test::movieOf(join({test::shapeTag(1, small), test::shapeTag(2, small), test::shapeTag(4, small),
                             test::buttonTag(3, {{BtnIdle, 1, 1, translation(5, 0)},
                                                 {BtnHover | BtnPressed, 2, 2, {}},
                                                 {BtnIdle | BtnHover | BtnPressed, 4, 3, {}},
                                                 {BtnHitArea, 1, 4, {}},
                                                 {BtnIdle, 77, 5, {}}}),  // undefined: skipped
                             test::placeTag(3, 10, translation(100, 0)), test::frameTag(), test::endTag()}));
}

std::string childKeys(const DisplayList& list) {
  std::string s;
  for (const DisplayObject* o = list.firstObject; o; o = o->next) {
    s += std::to_string(keyId(o->key)) + "@" + std::to_string(keyDepth(o->key)) + " ";
  }
  return s;
}

TEST(Buttons, StatesPlaceAndRemoveTheirChildren) {
  Stage stage(buttonMovie());
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  DisplayObject* button = stage.list.findObject(objectKey(3, 10));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->buttonState, BtnIdle);
  EXPECT_TRUE(rectIsEmpty(button->deviceBounds));
  EXPECT_EQ(childKeys(stage.list), "4@13 1@11 3@10 ");
  // The child's matrix is the record's, then the button's placement.
  EXPECT_EQ(stage.list.findObject(objectKey(1, 11))->placement, translation(105, 0));
  DisplayObject* always = stage.list.findObject(objectKey(4, 13));

  setButtonState(stage.list, *button, BtnHover);
  EXPECT_EQ(childKeys(stage.list), "2@12 4@13 3@10 ");
  DisplayObject* hovered = stage.list.findObject(objectKey(2, 12));

  setButtonState(stage.list, *button, BtnPressed);  // B stays placed: no remove and place
  EXPECT_EQ(stage.list.findObject(objectKey(2, 12)), hovered);
  EXPECT_EQ(childKeys(stage.list), "2@12 4@13 3@10 ");

  setButtonState(stage.list, *button, BtnIdle);
  EXPECT_EQ(childKeys(stage.list), "1@11 4@13 3@10 ");
  EXPECT_EQ(stage.list.findObject(objectKey(4, 13)), always);

  stage.list.removeObject(objectKey(3, 10));
  EXPECT_EQ(stage.objectCount(), 0);
}

TEST(Buttons, ChildDepthsWrapAtSixteenBits) {
  const Rect small{0, 10, 0, 10};
  Stage stage(test::movieOf(join({test::shapeTag(1, small), test::buttonTag(3, {{BtnIdle, 1, 0xFFFF, {}}}),
                                  test::placeTag(3, 2), test::frameTag()})));
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  EXPECT_NE(stage.list.findObject(objectKey(1, 1)), nullptr);
}

TEST(Buttons, TrackedKeyGetsItsStateBackAfterARewind) {
  Stage stage(buttonMovie());
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  stage.list.trackedButton = stage.list.findObject(objectKey(3, 10));
  stage.list.trackedKey = objectKey(3, 10);
  stage.list.trackedState = BtnHover;
  setButtonState(stage.list, *stage.list.trackedButton, BtnHover);

  stage.movie.seekFrame(-1);
  EXPECT_EQ(stage.list.trackedButton, nullptr);
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  DisplayObject* rebuilt = stage.list.findObject(objectKey(3, 10));
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_EQ(stage.list.trackedButton, rebuilt);
  EXPECT_EQ(rebuilt->buttonState, BtnHover);
  EXPECT_NE(stage.list.findObject(objectKey(2, 12)), nullptr);
  EXPECT_EQ(stage.list.findObject(objectKey(1, 11)), nullptr);
}

TEST(Buttons, RemovingTheTrackedButtonForgetsIt) {
  Stage stage(buttonMovie());
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  stage.list.trackedButton = stage.list.findObject(objectKey(3, 10));
  stage.list.trackedKey = objectKey(3, 10);
  stage.list.removeObject(objectKey(3, 10));
  EXPECT_EQ(stage.list.trackedButton, nullptr);
}

// Buttons whose records name themselves or each other: placing, state
// changes and removal stay bounded and leave no object behind that points
// at a freed block (the sanitizers watch the rest).
TEST(Buttons, SelfReferencingButtonsStayBounded) {
  const Rect small{0, 10, 0, 10};
  Stage stage(test::movieOf(
      join({test::shapeTag(1, small),
            test::buttonTag(5, {{BtnIdle, 5, 0, {}}, {BtnHover, 5, 1, {}}, {BtnIdle | BtnHover, 6, 0, {}}}),
            test::buttonTag(6, {{BtnIdle, 5, 0, {}}, {BtnIdle | BtnPressed, 1, 2, {}}}),
            test::placeTag(5, 10), test::frameTag(), test::dropTag(6), test::frameTag(), test::endTag()})));
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  EXPECT_LT(stage.objectCount(), 2000);
  DisplayObject* top = stage.list.findObject(objectKey(5, 10));
  ASSERT_NE(top, nullptr);
  for (uint16_t state : {BtnHover, BtnPressed, BtnIdle, BtnHover}) {
    DisplayObject* button = stage.list.firstObject;
    while (button && button->character->kind != KindButton) button = button->next;
    ASSERT_NE(button, nullptr);
    setButtonState(stage.list, *button, state);
    EXPECT_TRUE(test::objectsPointAtLiveRecords(stage));
  }
  ASSERT_EQ(stage.movie.seekFrame(1), ResultOk);  // drops button 6 wherever it is placed
  EXPECT_TRUE(test::objectsPointAtLiveRecords(stage));
  for (int guard = 0; guard < 5000 && stage.list.firstObject; ++guard) {
    stage.list.removeObject(stage.list.firstObject->key);
  }
  EXPECT_EQ(stage.objectCount(), 0);
}

// A button whose idle record names the button's own key. Once the
// newest copy is removed, the next one is the first object with that key;
// changing its state removes "its child" by key and must not find itself.
TEST(Buttons, AButtonNamingItsOwnKeyDoesNotRemoveItself) {
  Stage stage(test::movieOf(join({test::buttonTag(5, {{BtnIdle, 5, 0, {}}}), test::placeTag(5, 10),
                                  test::frameTag(), test::removeTag(5, 10), test::frameTag()})));
  ASSERT_EQ(stage.movie.seekFrame(0), ResultOk);
  EXPECT_EQ(stage.objectCount(), MaxButtonNesting + 1);
  ASSERT_EQ(stage.movie.seekFrame(1), ResultOk);
  DisplayObject* first = stage.list.firstObject;
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first->buttonState, BtnIdle);
  setButtonState(stage.list, *first, BtnHover);
  EXPECT_EQ(stage.list.firstObject, first);
  EXPECT_EQ(first->buttonState, BtnHover);
}

}  // namespace
}  // namespace lmr
