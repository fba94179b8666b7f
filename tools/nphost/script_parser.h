// nphost's --script file: one command a line, blank lines and lines whose
// first non-blank character is '#' ignored. A file name is the rest of its
// line, so it may hold blanks.
//   wait MS              run the message loop for MS milliseconds
//   loaded N             run it until embed N's stream is whole
//   move|down|up|click N X Y   mouse input at client point X, Y of embed N
//   rclick N X Y CHOICE  right click, then pick menu command CHOICE (0: none)
//   shot N FILE          embed N's client area as a 24-bit BMP
//   shotpage FILE        the page window's client area as a 24-bit BMP
//   print N W H FILE     NPP_Print in embed mode into a W x H bitmap
//   resize N W H         a new size for embed N's window
//   nowindow N           NPP_SetWindow with a record without handle
//   stream N FILE        offer embed N a second stream
//   destroy N            NPP_Destroy
//   quit                 stop here
#pragma once

#include <string>
#include <vector>

namespace lmr {

enum class ScriptOp {
  Wait,
  Loaded,
  Move,
  Down,
  Up,
  Click,
  RClick,
  Shot,
  ShotPage,
  Print,
  Resize,
  NoWindow,
  Stream,
  Destroy,
  Quit,
};

struct ScriptCommand {
  ScriptOp op = ScriptOp::Quit;
  int line = 0;       // 1-based line in the script, for messages
  int embed = 0;      // 1, 2, ... in page order; 0 when the command has none
  int x = 0;          // client point, or width for print and resize
  int y = 0;          // client point, or height for print and resize
  int value = 0;      // milliseconds for wait, the menu command for rclick
  std::string file;
};

// Parses a whole script. On the first bad line returns false with a
// message that starts "line N: ".
bool parseScript(const std::string& text, std::vector<ScriptCommand>& commands,
                 std::string& error);

// Every embed number names one of the page's embedCount embeds; otherwise
// false with the first offending line's message.
bool checkScriptEmbeds(const std::vector<ScriptCommand>& commands, int embedCount,
                       std::string& error);

const char* scriptOpName(ScriptOp op);

}  // namespace lmr
