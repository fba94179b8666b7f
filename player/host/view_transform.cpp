#include "player/host/view_transform.h"

#include "player/engine/display_list.h"
#include "player/engine/fixed_point.h"
#include "player/engine/geometry.h"
#include "player/engine/view_matrix.h"

namespace lmr {
namespace {

// Shrinks the pan outline inside the area it stands for, so its inverted
// pixels stay clear of the window's edges.
constexpr int32_t FeedbackInset = 2;

constexpr int32_t saturate(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

int32_t width(const Rect& r) { return saturate(int64_t{r.xmax} - r.xmin); }
int32_t height(const Rect& r) { return saturate(int64_t{r.ymax} - r.ymin); }

bool clientRect(Player& player, Rect& client) {
  int32_t w = 0;
  int32_t h = 0;
  if (!player.platform.clientSize(w, h) || w <= 0 || h <= 0) return false;
  client = Rect{0, w, 0, h};
  return true;
}

// The list's view matrix brought back to window pixels when it maps to
// quarter pixels.
Matrix pixelMatrix(const DisplayList& list) {
  if (!list.antialias) return list.viewMatrix;
  return matrixConcat(list.viewMatrix, matrixScale(0x4000, 0x4000));
}

// The clock is masked to 31 bits, so the difference is taken on those bits
// to stay right across its wrap.
uint32_t millisSince(int32_t then, int32_t now) {
  return (static_cast<uint32_t>(now) - static_cast<uint32_t>(then)) & 0x7FFFFFFFu;
}

// Moves [low, high] right until it starts at the frame's low edge, then
// left until it ends at its high edge.
void shiftInside(int64_t& low, int64_t& high, int32_t frameLow, int32_t frameHigh) {
  if (low < frameLow) {
    high += frameLow - low;
    low = frameLow;
  }
  if (high > frameHigh) {
    low -= high - frameHigh;
    high = frameHigh;
  }
}

int32_t clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

}  // namespace

void applyPlayerView(Player& player, int32_t w, int32_t h) {
  MovieStage& stage = player.stage;
  stage.movie.readHeader();
  const Rect source = rectIsEmpty(player.zoomRect) ? stage.movie.frameRect : player.zoomRect;
  const Rect window{0, w, 0, h};
  stage.list.applyView(computeViewMatrix(source, window, player.highQuality, player.viewFlags), player.highQuality);
  stage.list.preferSpeed = stage.movie.frameCount > 1 && !player.bestQuality;
}

void updateView(Player& player, bool redrawNow) {
  Rect client;
  if (!clientRect(player, client)) return;
  applyPlayerView(player, client.xmax, client.ymax);
  if (redrawNow) redraw(player);
}

void showAll(Player& player) {
  rectSetEmpty(player.zoomRect);
  updateView(player, true);
}

void zoomBy(Player& player, Fixed factor, const Point* point) {
  Rect client;
  if (!clientRect(player, client)) return;
  const Matrix toMovie = matrixInvert(pixelMatrix(player.stage.list));
  const Rect visible = transformRect(toMovie, client);
  Point centre;
  if (point != nullptr) {
    centre = transformPoint(toMovie, *point);
  } else {
    centre.x = saturate((int64_t{visible.xmin} + visible.xmax) / 2);
    centre.y = saturate((int64_t{visible.ymin} + visible.ymax) / 2);
  }
  zoomTo(player, FixedMul(factor, width(visible)), FixedMul(factor, height(visible)), centre.x, centre.y);
}

void zoomTo(Player& player, int32_t w, int32_t h, int32_t cx, int32_t cy) {
  Rect client;
  if (!clientRect(player, client)) return;
  // Never more than one pixel per movie unit.
  if (w < client.xmax) w = client.xmax;
  if (h < client.ymax) h = client.ymax;
  const Rect frame = player.stage.movie.frameRect;
  // Worked in 64 bits so a far centre or a huge size moves the area whole.
  int64_t xmin = int64_t{cx} - w / 2, xmax = int64_t{cx} + w / 2;
  int64_t ymin = int64_t{cy} - h / 2, ymax = int64_t{cy} + h / 2;
  // A zoom that fits is moved inside the frame rather than cut.
  shiftInside(xmin, xmax, frame.xmin, frame.xmax);
  shiftInside(ymin, ymax, frame.ymin, frame.ymax);
  Rect zoom{saturate(xmin), saturate(xmax), saturate(ymin), saturate(ymax)};
  zoom = rectIntersect(frame, zoom);
  if (rectIsEmpty(zoom) || (w >= width(frame) && h >= height(frame))) {
    showAll(player);
    return;
  }
  player.zoomRect = zoom;
  updateView(player, true);
}

void setZoomRect(Player& player, int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax) {
  if (xmin >= xmax || ymin >= ymax) {
    showAll(player);
    return;
  }
  player.zoomRect = Rect{xmin, xmax, ymin, ymax};
  updateView(player, true);
}

bool panLimits(Player& player, PanLimits& limits) {
  if (!clientRect(player, limits.client)) return false;
  limits.toPixels = pixelMatrix(player.stage.list);
  limits.toMovie = matrixInvert(limits.toPixels);
  const Rect on = transformRect(limits.toPixels, player.stage.movie.frameRect);
  const Rect& c = limits.client;
  limits.dxMin = on.xmin < c.xmin ? saturate(int64_t{on.xmin} - c.xmin) : 0;
  limits.dxMax = on.xmax > c.xmax ? saturate(int64_t{on.xmax} - c.xmax) : 0;
  limits.dyMin = on.ymin < c.ymin ? saturate(int64_t{on.ymin} - c.ymin) : 0;
  limits.dyMax = on.ymax > c.ymax ? saturate(int64_t{on.ymax} - c.ymax) : 0;
  return true;
}

int32_t clampPanX(const PanLimits& limits, int32_t dx) { return clamp(dx, limits.dxMin, limits.dxMax); }
int32_t clampPanY(const PanLimits& limits, int32_t dy) { return clamp(dy, limits.dyMin, limits.dyMax); }

void applyPan(Player& player, const PanLimits& limits, int32_t dx, int32_t dy) {
  const Rect moved = rectOffset(clampPanX(limits, dx), clampPanY(limits, dy), limits.client);
  player.zoomRect = transformRect(limits.toMovie, moved);
}

void pan(Player& player, int32_t dx, int32_t dy, int32_t mode) {
  if (rectIsEmpty(player.zoomRect)) return;
  PanLimits limits;
  if (!panLimits(player, limits)) return;
  if (mode == PanPercent) {
    dy = saturate(int64_t{dy} * limits.client.ymax / 100);
    dx = saturate(int64_t{dx} * limits.client.xmax / 100);
  }
  applyPan(player, limits, dx, dy);
  updateView(player, true);
}

FeedbackChange moveFeedback(Player& player, const Rect* rect) {
  Rect outline;
  if (rect != nullptr) outline = rectInset(FeedbackInset, *rect);
  FeedbackChange change;
  if (outline == player.panFeedbackRect) return change;
  change.changed = true;
  change.erase = player.panFeedbackRect;
  change.draw = outline;
  player.panFeedbackRect = outline;
  return change;
}

bool beginPanDrag(Player& player, PanDrag& drag, Point start) {
  drag = PanDrag{};
  if (!panLimits(player, drag.limits)) return false;
  drag.start = start;
  drag.last = player.platform.nowMillis();
  drag.active = true;
  return true;
}

FeedbackChange movePanDrag(Player& player, PanDrag& drag, Point p) {
  if (!drag.active) return FeedbackChange{};
  drag.dx = clampPanX(drag.limits, saturate(int64_t{drag.start.x} - p.x));
  drag.dy = clampPanY(drag.limits, saturate(int64_t{drag.start.y} - p.y));
  // The outline shows where the window's edges will fall on the movie.
  const Rect outline = rectOffset(-drag.dx, -drag.dy, drag.limits.client);
  FeedbackChange change = moveFeedback(player, &outline);
  const int32_t now = player.platform.nowMillis();
  if (change.changed) {
    drag.last = now;
  } else if (millisSince(drag.last, now) > PanRestMillis) {
    applyPan(player, drag.limits, drag.dx, drag.dy);
    updateView(player, true);
  }
  return change;
}

FeedbackChange endPanDrag(Player& player, PanDrag& drag) {
  if (!drag.active) return FeedbackChange{};
  drag.active = false;
  FeedbackChange change = moveFeedback(player, nullptr);
  applyPan(player, drag.limits, drag.dx, drag.dy);
  updateView(player, true);
  return change;
}

}  // namespace lmr
