// Real mouse input for script commands: a script thread injects it with
// SendInput while the browser thread keeps pumping messages, so a
// plug-in's own loops that poll the button see it held.
#pragma once

#include <windows.h>

#include <string>

namespace lmr {

enum class MouseAction { Move, Down, Up, Click };

// Moves the cursor to the screen point, then presses, releases or both.
// Answers false when the input could not be injected.
bool injectMouse(MouseAction action, POINT screen);

// Releases the left button when a script pressed it and never let go, so
// no held button outlives the run (the window system's state is shared).
void releaseHeldButton();

// Right click at the screen point, then in the popup menu that opens (the
// window of class "#32768") click the item of command choice, or press
// Escape for choice 0. False with a message when no menu opened or it has
// no enabled item of that command (the menu is dismissed then).
bool injectRightClickChoice(POINT screen, int choice, std::string& error);

}  // namespace lmr
