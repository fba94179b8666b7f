// The player's view: which part of the movie the window shows and how.
// The page's scale mode and alignment (viewFlags) fit the visible part,
// the zoom rectangle or the whole frame, into the client area; zooming and
// panning change the zoom rectangle. All of it works in window pixels and
// movie units through the player's platform, so it is the same everywhere;
// the plug-in only draws the pan outline and runs the mouse loop.
#pragma once

#include <cstdint>

#include "player/engine/geometry.h"
#include "player/engine/records.h"
#include "player/host/player.h"

namespace lmr {

// Pan distances: window pixels, or percent of the client size.
constexpr int32_t PanPixels = 0;
constexpr int32_t PanPercent = 1;

// Milliseconds the mouse rests in a drag before the movie follows it.
constexpr uint32_t PanRestMillis = 100;

// Fits the visible part of the movie into a client area of width x height
// pixels with the player's flags and quality. Unchanged views cost nothing.
void applyPlayerView(Player& player, int32_t width, int32_t height);

// Recomputes the view for the current window, then draws when `redrawNow`.
// Without a window nothing changes.
void updateView(Player& player, bool redrawNow);

// Back to the whole frame.
void showAll(Player& player);

// Scales the visible area by `factor` (16.16: below 1 zooms in, 0x8000
// doubles the magnification) around the movie point under `point`
// (window pixels), or around the middle of the view for none. The zoom
// never passes one movie unit per pixel and stays inside the frame.
void zoomBy(Player& player, Fixed factor, const Point* point);

// Shows (w, h) movie units around (cx, cy), widened to the client size and
// moved inside the frame; a zoom that covers the frame shows all.
void zoomTo(Player& player, int32_t w, int32_t h, int32_t cx, int32_t cy);

// Shows exactly this area of the movie; an empty area shows all.
void setZoomRect(Player& player, int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax);

// How far the view may move, in window pixels, before the frame's edge
// leaves the window's edge, and the matrices the move is made with.
struct PanLimits {
  Rect client;   // window pixels
  Matrix toPixels;  // movie units to window pixels
  Matrix toMovie;   // its inverse
  int32_t dxMin = 0;
  int32_t dxMax = 0;
  int32_t dyMin = 0;
  int32_t dyMax = 0;
};

// The limits for the current view; false without a window.
bool panLimits(Player& player, PanLimits& limits);
int32_t clampPanX(const PanLimits& limits, int32_t dx);
int32_t clampPanY(const PanLimits& limits, int32_t dy);
// Shows the client area moved by (dx, dy) pixels, clamped to the limits:
// positive dx shows more of the right side. The view is not redrawn.
void applyPan(Player& player, const PanLimits& limits, int32_t dx, int32_t dy);

// Moves a zoomed view by (dx, dy) in `mode` units and redraws; the whole
// frame does not move.
void pan(Player& player, int32_t dx, int32_t dy, int32_t mode);

// The pan outline to erase and to draw when the outline moves; empty
// rectangles are neither erased nor drawn.
struct FeedbackChange {
  bool changed = false;
  Rect erase;
  Rect draw;
};

// Moves the pan outline to `rect` shrunk by 2 pixels, or takes it away for
// none, and keeps it in panFeedbackRect so paint can draw it again. The
// outline is drawn by inverting pixels, so the old one is erased by
// drawing it again.
FeedbackChange moveFeedback(Player& player, const Rect* rect);

// A drag that pans the view: the press point, the limits taken at the
// press, the shift so far, and when the outline last moved.
struct PanDrag {
  Point start;
  PanLimits limits;
  int32_t dx = 0;
  int32_t dy = 0;
  int32_t last = 0;
  bool active = false;
};

// Starts a drag at `start` (window pixels); false without a window.
bool beginPanDrag(Player& player, PanDrag& drag, Point start);
// The cursor is at `p` with the button still down: the outline follows at
// once, and the movie follows when the mouse has rested PanRestMillis.
FeedbackChange movePanDrag(Player& player, PanDrag& drag, Point p);
// The button is up: the outline goes and the view moves to the last shift.
FeedbackChange endPanDrag(Player& player, PanDrag& drag);

}  // namespace lmr
