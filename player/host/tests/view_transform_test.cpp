// The player's view: the matrix for each scale mode, alignment and
// quality; zooming with its limits; the zoom rectangle; panning with its
// limits; the pan outline and the drag that moves the view.
#include "player/host/view_transform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "player/engine/display_list.h"
#include "player/engine/geometry.h"
#include "player/engine/tests/movie_fixture.h"
#include "player/engine/view_matrix.h"
#include "player/host/player_stream.h"
#include "player/host/tests/fake_platform.h"

namespace lmr {

inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << "(" << r.xmin << ".." << r.xmax << ", " << r.ymin << ".." << r.ymax << ")";
}

namespace {

using test::FakePlatform;

const Rect Whole{};  // an empty zoom rectangle: the whole frame

const Rect CommonFrame{0, 11000, 0, 8000};

// A player showing a movie with this frame in a window of width x height,
// paused.
struct ViewFixture {
  FakePlatform platform;
  Player player{platform};
  test::Bytes file;

  ViewFixture(int32_t width, int32_t height, const Rect& frame = CommonFrame, uint32_t frameCount = 2) {
    platform.width = width;
    platform.height = height;
    enc::MovieHeader header;
    header.frame = frame;
    header.frameCount = frameCount;
    file = test::movieOf(test::join({test::frameTag(), test::frameTag(), test::endTag()}), header);
    openStream(player, &file, nullptr);
    player.playRequested = false;
    player.autoQuality = false;
    writeStream(player, &file, file.data(), static_cast<int32_t>(file.size()));
  }

  const Matrix& view() const { return player.stage.list.viewMatrix; }
};

// A frame of 11200 x 8000 in a window of 1400 x 1000 is an exact eighth
// scale with centres on whole pixels, so zooms and pans land on whole
// movie units.
const Rect ExactFrame{0, 11200, 0, 8000};
constexpr int32_t ExactWidth = 1400;
constexpr int32_t ExactHeight = 1000;

struct ExactView : ViewFixture {
  ExactView() : ViewFixture(ExactWidth, ExactHeight, ExactFrame) {}
  explicit ExactView(int32_t height) : ViewFixture(ExactWidth, height, ExactFrame) {}
};

TEST(ViewMatrix, FitsTheVisibleAreaByScaleModeAlignmentAndQuality) {
  struct Case {
    const char* name;
    int32_t width, height;
    uint32_t flags;
    bool highQuality;
    Rect zoom;
    Fixed a, d;
    int32_t tx, ty;
  };
  const Case cases[] = {
      {"show all", 275, 400, ScaleShowAll, false, Whole, 1638, 1638, 0, 100},
      {"no border", 275, 400, ScaleNoBorder, false, Whole, 3277, 3277, -138, 0},
      {"exact fit", 275, 400, ScaleExactFit, false, Whole, 1638, 3277, 0, 0},
      {"unknown mode stretches", 275, 400, 7, false, Whole, 1638, 3277, 0, 0},
      {"wide centred", 600, 400, ScaleShowAll, false, Whole, 3277, 3277, 25, 0},
      {"wide left", 600, 400, AlignLeft, false, Whole, 3277, 3277, 0, 0},
      {"wide right", 600, 400, AlignRight, false, Whole, 3277, 3277, 50, 0},
      {"left wins over right", 600, 400, AlignLeft | AlignRight, false, Whole, 3277, 3277, 0, 0},
      {"tall top", 275, 400, AlignTop, false, Whole, 1638, 1638, 0, 0},
      {"tall bottom", 275, 400, AlignBottom, false, Whole, 1638, 1638, 0, 200},
      {"top wins over bottom", 275, 400, AlignTop | AlignBottom, false, Whole, 1638, 1638, 0, 0},
      {"high quality in quarter pixels", 550, 400, ScaleShowAll, true, Whole, 13107, 13107, 0, 0},
      {"zoomed top left quarter", 550, 400, ScaleShowAll, false, Rect{0, 5500, 0, 4000}, 6554, 6554, 0, 0},
      {"zoomed bottom right quarter", 550, 400, ScaleShowAll, false, Rect{5500, 11000, 4000, 8000}, 6554, 6554,
       -550, -400},
  };
  for (const Case& c : cases) {
    ViewFixture f(c.width, c.height);
    f.player.viewFlags = c.flags;
    f.player.highQuality = c.highQuality;
    f.player.zoomRect = c.zoom;
    updateView(f.player, false);
    EXPECT_EQ(f.view().a, c.a) << c.name;
    EXPECT_EQ(f.view().d, c.d) << c.name;
    EXPECT_EQ(f.view().b, 0) << c.name;
    EXPECT_EQ(f.view().c, 0) << c.name;
    EXPECT_EQ(f.view().tx, c.tx) << c.name;
    EXPECT_EQ(f.view().ty, c.ty) << c.name;
    EXPECT_EQ(f.player.stage.list.antialias, c.highQuality) << c.name;
  }
}

// Drawing a frame uses the same view, so a zoom reaches the window.
TEST(ViewMatrix, RedrawShowsTheZoomedArea) {
  ViewFixture f(550, 400);
  f.player.zoomRect = Rect{5500, 11000, 4000, 8000};
  f.platform.copies.clear();
  redraw(f.player);
  EXPECT_EQ(f.view().a, 6554);
  EXPECT_EQ(f.view().tx, -550);
  EXPECT_FALSE(f.platform.copies.empty());
}

// Only an animation without best quality asks the renderer for speed.
TEST(ViewMatrix, PrefersSpeedForAnimationsUnlessBestQuality) {
  struct Case {
    uint32_t frameCount;
    bool best;
    bool preferSpeed;
  };
  for (const Case& c : {Case{2, false, true}, Case{2, true, false}, Case{1, false, false}}) {
    ViewFixture f(100, 100, CommonFrame, c.frameCount);
    f.player.bestQuality = c.best;
    updateView(f.player, false);
    EXPECT_EQ(f.player.stage.list.preferSpeed, c.preferSpeed) << c.frameCount << " " << c.best;
  }
}

TEST(ViewUpdate, DrawsOnlyWhenAsked) {
  ExactView f;
  f.player.zoomRect = Rect{0, 5600, 0, 4000};
  f.platform.copies.clear();
  updateView(f.player, false);
  EXPECT_TRUE(f.platform.copies.empty());
  EXPECT_EQ(f.view().a, 16384);
  f.player.zoomRect = Whole;
  updateView(f.player, true);
  EXPECT_FALSE(f.platform.copies.empty());
  EXPECT_EQ(f.view().a, 8192);
}

TEST(Zoom, ByAFactorAroundTheMiddleOrAPoint) {
  struct Case {
    const char* name;
    Rect before;
    Fixed factor;
    bool atPoint;
    Point point;
    Rect after;
  };
  const Case cases[] = {
      {"in, keeping the centre", Whole, 0x8000, false, {}, Rect{2800, 8400, 2000, 6000}},
      {"in again", Rect{2800, 8400, 2000, 6000}, 0x8000, false, {}, Rect{4200, 7000, 3000, 5000}},
      {"in around the top left corner moves inside the frame", Whole, 0x8000, true, Point{0, 0},
       Rect{0, 5600, 0, 4000}},
      {"in around a point", Whole, 0x8000, true, Point{1000, 300}, Rect{5200, 10800, 400, 4400}},
      {"in around a point of a zoomed view", Rect{2800, 8400, 2000, 6000}, 0x8000, true, Point{1400, 1000},
       Rect{7000, 9800, 5000, 7000}},
      {"out from a quarter", Rect{4200, 7000, 3000, 5000}, 0x20000, false, {}, Rect{2800, 8400, 2000, 6000}},
      {"out to the whole frame shows all", Rect{2800, 8400, 2000, 6000}, 0x20000, false, {}, Whole},
      {"out past the frame shows all", Rect{2800, 8400, 2000, 6000}, 0x80000, false, {}, Whole},
  };
  for (const Case& c : cases) {
    ExactView f;
    f.player.zoomRect = c.before;
    updateView(f.player, false);
    zoomBy(f.player, c.factor, c.atPoint ? &c.point : nullptr);
    EXPECT_EQ(f.player.zoomRect, c.after) << c.name;
  }
}

// Zooming in again and again stops at one movie unit per pixel.
TEST(Zoom, StopsAtOneMovieUnitPerPixel) {
  for (bool highQuality : {false, true}) {
    ViewFixture f(550, 400);
    f.player.highQuality = highQuality;
    updateView(f.player, false);
    for (int i = 0; i < 12; ++i) zoomBy(f.player, 0x8000, nullptr);
    const Rect& zoom = f.player.zoomRect;
    EXPECT_EQ(zoom.xmax - zoom.xmin, 550) << highQuality;
    EXPECT_EQ(zoom.ymax - zoom.ymin, 400) << highQuality;
    EXPECT_EQ(f.view().a, highQuality ? 4 * 0x10000 : 0x10000);
  }
}

TEST(Zoom, ToAnAreaWidensItToTheWindowAndKeepsItInsideTheFrame) {
  struct Case {
    const char* name;
    int32_t w, h, cx, cy;
    Rect after;
  };
  const Case cases[] = {
      {"fits as asked", 2000, 1000, 5000, 4000, Rect{4000, 6000, 3500, 4500}},
      {"past the top left moves in", 2000, 1000, 100, 100, Rect{0, 2000, 0, 1000}},
      {"past the bottom right moves in", 2000, 1000, 10900, 7900, Rect{9200, 11200, 7000, 8000}},
      {"smaller than the window widens", 100, 100, 5000, 4000, Rect{4300, 5700, 3500, 4500}},
      {"wider than the frame is cut to it", 20000, 2000, 5000, 4000, Rect{0, 11200, 3000, 5000}},
      {"covering the frame shows all", 11200, 8000, 5600, 4000, Whole},
      {"a centre far outside moves in", 2000, 1000, INT32_MAX, INT32_MIN, Rect{9200, 11200, 0, 1000}},
      {"sizes far too big show all", INT32_MAX, INT32_MAX, 0, 0, Whole},
      {"negative sizes widen to the window", -5000, -5000, 5000, 4000, Rect{4300, 5700, 3500, 4500}},
  };
  for (const Case& c : cases) {
    ExactView f;
    zoomTo(f.player, c.w, c.h, c.cx, c.cy);
    EXPECT_EQ(f.player.zoomRect, c.after) << c.name;
  }
}

TEST(Zoom, SetZoomRectTakesAnyNonEmptyAreaAsItComes) {
  struct Case {
    int32_t xmin, ymin, xmax, ymax;
    Rect after;
  };
  const Case cases[] = {
      {100, 100, 100, 200, Whole},
      {100, 200, 300, 200, Whole},
      {300, 100, 100, 200, Whole},
      {100, 200, 1100, 900, Rect{100, 1100, 200, 900}},
      {-5000, -5000, 20000, 20000, Rect{-5000, 20000, -5000, 20000}},
      {INT32_MIN + 1, INT32_MIN + 1, INT32_MAX, INT32_MAX, Rect{INT32_MIN + 1, INT32_MAX, INT32_MIN + 1, INT32_MAX}},
  };
  for (const Case& c : cases) {
    ExactView f;
    f.player.zoomRect = Rect{0, 5500, 0, 4000};
    setZoomRect(f.player, c.xmin, c.ymin, c.xmax, c.ymax);
    EXPECT_EQ(f.player.zoomRect, c.after) << c.xmin << " " << c.ymin << " " << c.xmax << " " << c.ymax;
  }
}

TEST(Zoom, ShowAllReturnsToTheWholeFrameAndDraws) {
  ExactView f;
  setZoomRect(f.player, 0, 0, 5600, 4000);
  EXPECT_EQ(f.view().a, 16384);
  f.platform.copies.clear();
  showAll(f.player);
  EXPECT_EQ(f.player.zoomRect, Whole);
  EXPECT_EQ(f.view().a, 8192);
  EXPECT_FALSE(f.platform.copies.empty());
}

// The centre quarter of the exact frame is a quarter scale: the frame
// spans -700..2100 x -500..1500 pixels, so the view moves at most 700
// left or right and 500 up or down.
const Rect CentreQuarter{2800, 8400, 2000, 6000};

TEST(Pan, MovesAZoomedViewUpToTheFrameEdges) {
  struct Case {
    const char* name;
    int32_t dx, dy, mode;
    Rect after;
  };
  const Case cases[] = {
      {"pixels", 100, 50, PanPixels, Rect{3200, 8800, 2200, 6200}},
      {"far right stops at the right edge", 10000, 0, PanPixels, Rect{5600, 11200, 2000, 6000}},
      {"far left stops at the left edge", -10000, 0, PanPixels, Rect{0, 5600, 2000, 6000}},
      {"far down stops at the bottom", 0, 10000, PanPixels, Rect{2800, 8400, 4000, 8000}},
      {"far up stops at the top", 0, -10000, PanPixels, Rect{2800, 8400, 0, 4000}},
      {"percent of the window", 10, -10, PanPercent, Rect{3360, 8960, 1600, 5600}},
      {"percent beyond any limit", INT32_MAX, INT32_MIN, PanPercent, Rect{5600, 11200, 0, 4000}},
      {"nothing", 0, 0, PanPixels, CentreQuarter},
  };
  for (const Case& c : cases) {
    ExactView f;
    setZoomRect(f.player, CentreQuarter.xmin, CentreQuarter.ymin, CentreQuarter.xmax, CentreQuarter.ymax);
    pan(f.player, c.dx, c.dy, c.mode);
    EXPECT_EQ(f.player.zoomRect, c.after) << c.name;
  }
}

TEST(Pan, TheWholeFrameDoesNotMove) {
  ExactView f;
  f.platform.copies.clear();
  pan(f.player, 100, 100, PanPixels);
  EXPECT_EQ(f.player.zoomRect, Whole);
  EXPECT_EQ(f.view().tx, 0);
  EXPECT_TRUE(f.platform.copies.empty());
}

TEST(Pan, LimitsFollowTheFrameOnTheWindow) {
  struct Case {
    const char* name;
    int32_t width, height;
    uint32_t flags;
    bool highQuality;
    Rect zoom;
    int32_t dxMin, dxMax, dyMin, dyMax;
  };
  const Case cases[] = {
      {"whole frame, show all", ExactWidth, ExactHeight, ScaleShowAll, false, Whole, 0, 0, 0, 0},
      {"whole frame with borders at the sides", 1600, ExactHeight, ScaleShowAll, false, Whole, 0, 0, 0, 0},
      {"whole frame with borders above and below", ExactWidth, 1200, ScaleShowAll, false, Whole, 0, 0, 0, 0},
      {"whole frame, no border crops the height", ExactWidth, 500, ScaleNoBorder, false, Whole, 0, 0, -250, 250},
      {"centre quarter", ExactWidth, ExactHeight, ScaleShowAll, false, CentreQuarter, -700, 700, -500, 500},
      {"centre quarter in quarter pixels", ExactWidth, ExactHeight, ScaleShowAll, true, CentreQuarter, -700, 700,
       -500, 500},
      {"left quarter aligned left", ExactWidth, ExactHeight, AlignLeft, false, Rect{0, 5600, 2000, 6000}, 0,
       1400, -500, 500},
  };
  for (const Case& c : cases) {
    ViewFixture f(c.width, c.height, ExactFrame);
    f.player.viewFlags = c.flags;
    f.player.highQuality = c.highQuality;
    f.player.zoomRect = c.zoom;
    updateView(f.player, false);
    PanLimits limits;
    ASSERT_TRUE(panLimits(f.player, limits)) << c.name;
    EXPECT_EQ(limits.dxMin, c.dxMin) << c.name;
    EXPECT_EQ(limits.dxMax, c.dxMax) << c.name;
    EXPECT_EQ(limits.dyMin, c.dyMin) << c.name;
    EXPECT_EQ(limits.dyMax, c.dyMax) << c.name;
  }
}

// Without a window there is no client area to measure: the view stays.
TEST(ViewWithoutWindow, ChangesNothing) {
  ExactView f;
  setZoomRect(f.player, CentreQuarter.xmin, CentreQuarter.ymin, CentreQuarter.xmax, CentreQuarter.ymax);
  const Matrix before = f.view();
  f.platform.width = 0;
  f.platform.height = 0;
  zoomBy(f.player, 0x8000, nullptr);
  zoomTo(f.player, 100, 100, 0, 0);
  pan(f.player, 100, 100, PanPixels);
  updateView(f.player, true);
  PanDrag drag;
  EXPECT_FALSE(beginPanDrag(f.player, drag, Point{10, 10}));
  movePanDrag(f.player, drag, Point{0, 0});
  endPanDrag(f.player, drag);
  EXPECT_EQ(f.player.zoomRect, CentreQuarter);
  EXPECT_EQ(f.view().a, before.a);
  EXPECT_EQ(f.view().tx, before.tx);
}

TEST(PanFeedback, MovesTheOutlineInsideTheAreaAndErasesTheOldOne) {
  struct Step {
    const char* name;
    bool none;
    Rect rect;
    bool changed;
    Rect erase;
    Rect draw;
  };
  const Step steps[] = {
      {"first outline", false, Rect{0, 100, 0, 80}, true, Whole, Rect{2, 98, 2, 78}},
      {"same place", false, Rect{0, 100, 0, 80}, false, Whole, Whole},
      {"moved", false, Rect{-10, 90, 5, 85}, true, Rect{2, 98, 2, 78}, Rect{-8, 88, 7, 83}},
      {"taken away", true, Whole, true, Rect{-8, 88, 7, 83}, Whole},
      {"none again", true, Whole, false, Whole, Whole},
  };
  FakePlatform platform;
  Player player(platform);
  for (const Step& s : steps) {
    const FeedbackChange change = moveFeedback(player, s.none ? nullptr : &s.rect);
    EXPECT_EQ(change.changed, s.changed) << s.name;
    EXPECT_EQ(change.erase, s.erase) << s.name;
    EXPECT_EQ(change.draw, s.draw) << s.name;
    // What paint draws again is the outline now on the window.
    EXPECT_EQ(player.panFeedbackRect, s.changed ? s.draw : player.panFeedbackRect) << s.name;
  }
  EXPECT_EQ(player.panFeedbackRect, Whole);
}

// A drag from (500, 500) on the centre quarter: the outline follows each
// move, the movie only once the mouse has rested over 100 ms, and the
// release leaves the view at the last shift with the outline gone.
TEST(PanDrag, OutlineFollowsAtOnceAndTheMovieWhenTheMouseRests) {
  struct Step {
    const char* name;
    int32_t now;
    Point p;
    bool outlineMoved;
    Rect outline;
    Rect zoom;
  };
  const Step steps[] = {
      {"move", 1000, Point{400, 450}, true, Rect{-98, 1298, -48, 948}, CentreQuarter},
      {"rest 50 ms", 1050, Point{400, 450}, false, Rect{-98, 1298, -48, 948}, CentreQuarter},
      {"rest 100 ms", 1100, Point{400, 450}, false, Rect{-98, 1298, -48, 948}, CentreQuarter},
      {"rest 101 ms", 1101, Point{400, 450}, false, Rect{-98, 1298, -48, 948}, Rect{3200, 8800, 2200, 6200}},
      {"far past the edges", 1200, Point{-5000, -5000}, true, Rect{-698, 698, -498, 498},
       Rect{3200, 8800, 2200, 6200}},
      {"further still changes nothing", 1210, Point{-9000, -9000}, false, Rect{-698, 698, -498, 498},
       Rect{3200, 8800, 2200, 6200}},
      {"rest at the edges", 1400, Point{-9000, -9000}, false, Rect{-698, 698, -498, 498},
       Rect{5600, 11200, 4000, 8000}},
  };
  ExactView f;
  setZoomRect(f.player, CentreQuarter.xmin, CentreQuarter.ymin, CentreQuarter.xmax, CentreQuarter.ymax);
  f.platform.now = 1000;
  PanDrag drag;
  ASSERT_TRUE(beginPanDrag(f.player, drag, Point{500, 500}));
  for (const Step& s : steps) {
    f.platform.now = s.now;
    const FeedbackChange change = movePanDrag(f.player, drag, s.p);
    EXPECT_EQ(change.changed, s.outlineMoved) << s.name;
    EXPECT_EQ(f.player.panFeedbackRect, s.outline) << s.name;
    EXPECT_EQ(f.player.zoomRect, s.zoom) << s.name;
  }
  // Back near the start, released at once: the view still lands there.
  f.platform.now = 1410;
  movePanDrag(f.player, drag, Point{400, 450});
  const FeedbackChange released = endPanDrag(f.player, drag);
  EXPECT_TRUE(released.changed);
  EXPECT_EQ(released.erase, (Rect{-98, 1298, -48, 948}));
  EXPECT_EQ(released.draw, Whole);
  EXPECT_EQ(f.player.panFeedbackRect, Whole);
  EXPECT_EQ(f.player.zoomRect, (Rect{3200, 8800, 2200, 6200}));
  // A finished drag ignores further moves.
  EXPECT_FALSE(movePanDrag(f.player, drag, Point{0, 0}).changed);
  EXPECT_FALSE(endPanDrag(f.player, drag).changed);
  EXPECT_EQ(f.player.zoomRect, (Rect{3200, 8800, 2200, 6200}));
}

// The rest is measured on the 31-bit clock, across its wrap too.
TEST(PanDrag, RestIsTimedAcrossTheClockWrap) {
  struct Case {
    int32_t pressed, rested;
    bool follows;
  };
  for (const Case& c : {Case{0x7FFFFF00, 0x7FFFFF64, false}, Case{0x7FFFFF00, 0x7FFFFF65, true},
                        Case{0x7FFFFFF0, 0x54, false}, Case{0x7FFFFFF0, 0x55, true}}) {
    ExactView f;
    setZoomRect(f.player, CentreQuarter.xmin, CentreQuarter.ymin, CentreQuarter.xmax, CentreQuarter.ymax);
    f.platform.now = c.pressed;
    PanDrag drag;
    ASSERT_TRUE(beginPanDrag(f.player, drag, Point{500, 500}));
    movePanDrag(f.player, drag, Point{400, 450});
    f.platform.now = c.rested;
    movePanDrag(f.player, drag, Point{400, 450});
    EXPECT_EQ(f.player.zoomRect != CentreQuarter, c.follows) << c.rested;
  }
}

// With no border the whole frame overflows the window and can be dragged;
// the view then becomes a zoom on the moved area.
TEST(PanDrag, MovesAWholeFrameThatOverflowsTheWindow) {
  ExactView f(500);
  f.player.viewFlags = ScaleNoBorder;
  updateView(f.player, false);
  PanDrag drag;
  ASSERT_TRUE(beginPanDrag(f.player, drag, Point{100, 100}));
  movePanDrag(f.player, drag, Point{50, 0});
  endPanDrag(f.player, drag);
  EXPECT_EQ(f.player.zoomRect, (Rect{0, 11200, 2800, 6800}));
}

}  // namespace
}  // namespace lmr
