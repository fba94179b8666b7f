// Real mouse input for script commands: a script thread injects it with
// SendInput while the browser thread keeps pumping messages, so a
// plug-in's own loops that poll the button see it held.
#pragma once

#include <windows.h>

namespace lmr {

enum class MouseAction { Move, Down, Up, Click };

// Moves the cursor to the screen point, then presses, releases or both.
// Answers false when the input could not be injected.
bool injectMouse(MouseAction action, POINT screen);

}  // namespace lmr
