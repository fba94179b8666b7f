#include "tools/nphost/script_parser.h"

#include <cerrno>
#include <cstdlib>

namespace lmr {
namespace {

// Argument kinds, one letter each in a command's pattern:
//   n embed number, m milliseconds, x y a client point, w h a size,
//   c a menu command, f a file name (the rest of the line).
struct Syntax {
  const char* name;
  ScriptOp op;
  const char* pattern;
  const char* usage;
};

const Syntax Syntaxes[] = {
    {"wait", ScriptOp::Wait, "m", "wait MS"},
    {"loaded", ScriptOp::Loaded, "n", "loaded N"},
    {"move", ScriptOp::Move, "nxy", "move N X Y"},
    {"down", ScriptOp::Down, "nxy", "down N X Y"},
    {"up", ScriptOp::Up, "nxy", "up N X Y"},
    {"click", ScriptOp::Click, "nxy", "click N X Y"},
    {"rclick", ScriptOp::RClick, "nxyc", "rclick N X Y CHOICE"},
    {"shot", ScriptOp::Shot, "nf", "shot N FILE.bmp"},
    {"shotpage", ScriptOp::ShotPage, "f", "shotpage FILE.bmp"},
    {"print", ScriptOp::Print, "nwhf", "print N W H FILE.bmp"},
    {"resize", ScriptOp::Resize, "nwh", "resize N W H"},
    {"nowindow", ScriptOp::NoWindow, "n", "nowindow N"},
    {"stream", ScriptOp::Stream, "nf", "stream N FILE"},
    {"destroy", ScriptOp::Destroy, "n", "destroy N"},
    {"quit", ScriptOp::Quit, "", "quit"},
};

struct Range {
  char kind;
  long low;
  long high;
  const char* what;
};

// Embeds and sizes are as large as a page window may hold; a wait is at
// most ten minutes so a typo cannot hang a test run for days.
const Range Ranges[] = {
    {'n', 1, 9999, "an embed number from 1 to 9999"},
    {'m', 0, 600000, "milliseconds from 0 to 600000"},
    {'x', -32768, 32767, "a coordinate from -32768 to 32767"},
    {'y', -32768, 32767, "a coordinate from -32768 to 32767"},
    {'w', 1, 4096, "a size from 1 to 4096"},
    {'h', 1, 4096, "a size from 1 to 4096"},
    {'c', 0, 65535, "a menu command from 0 to 65535"},
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::size_t skipBlanks(const std::string& line, std::size_t at) {
  while (at < line.size() && isBlank(line[at])) ++at;
  return at;
}

std::string nextWord(const std::string& line, std::size_t& at) {
  at = skipBlanks(line, at);
  const std::size_t start = at;
  while (at < line.size() && !isBlank(line[at])) ++at;
  return line.substr(start, at - start);
}

bool parseWhole(const std::string& word, long low, long high, long& value) {
  if (word.empty() || word.size() > 12) return false;
  const std::size_t digits = word[0] == '-' ? 1 : 0;
  if (digits == word.size()) return false;
  for (std::size_t i = digits; i < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return false;
  }
  errno = 0;
  const long parsed = std::strtol(word.c_str(), nullptr, 10);
  if (errno != 0 || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

std::string trimmedEnd(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && isBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

bool parseLine(const std::string& line, int number, std::vector<ScriptCommand>& commands,
               std::string& error) {
  const std::string prefix = "line " + std::to_string(number) + ": ";
  std::size_t at = 0;
  const std::string name = nextWord(line, at);
  if (name.empty() || name[0] == '#') return true;
  const Syntax* syntax = nullptr;
  for (const Syntax& s : Syntaxes) {
    if (name == s.name) syntax = &s;
  }
  if (syntax == nullptr) {
    error = prefix + "unknown command '" + name + "'";
    return false;
  }
  ScriptCommand command;
  command.op = syntax->op;
  command.line = number;
  for (const char* kind = syntax->pattern; *kind != '\0'; ++kind) {
    if (*kind == 'f') {
      command.file = trimmedEnd(line.substr(skipBlanks(line, at)));
      at = line.size();
      if (command.file.empty()) {
        error = prefix + "missing file name; usage: " + syntax->usage;
        return false;
      }
      continue;
    }
    const std::string word = nextWord(line, at);
    const Range* range = nullptr;
    for (const Range& r : Ranges) {
      if (r.kind == *kind) range = &r;
    }
    long value = 0;
    if (word.empty()) {
      error = prefix + "too few arguments; usage: " + syntax->usage;
      return false;
    }
    if (!parseWhole(word, range->low, range->high, value)) {
      error = prefix + "'" + word + "' is not " + range->what + "; usage: " + syntax->usage;
      return false;
    }
    const int v = static_cast<int>(value);
    switch (*kind) {
      case 'n': command.embed = v; break;
      case 'x': case 'w': command.x = v; break;
      case 'y': case 'h': command.y = v; break;
      default: command.value = v; break;
    }
  }
  const std::string extra = nextWord(line, at);
  if (!extra.empty()) {
    error = prefix + "unexpected '" + extra + "'; usage: " + syntax->usage;
    return false;
  }
  commands.push_back(command);
  return true;
}

}  // namespace

bool parseScript(const std::string& text, std::vector<ScriptCommand>& commands,
                 std::string& error) {
  commands.clear();
  int number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++number;
    const std::string line = text.substr(start, end - start);
    if (line.find('\0') != std::string::npos) {
      error = "line " + std::to_string(number) + ": a zero byte";
      return false;
    }
    if (!parseLine(line, number, commands, error)) return false;
    start = end + 1;
  }
  return true;
}

bool checkScriptEmbeds(const std::vector<ScriptCommand>& commands, int embedCount,
                       std::string& error) {
  for (const ScriptCommand& command : commands) {
    if (command.embed > embedCount) {
      error = "line " + std::to_string(command.line) + ": the page has " +
              std::to_string(embedCount) + " embed(s), no embed " + std::to_string(command.embed);
      return false;
    }
  }
  return true;
}

const char* scriptOpName(ScriptOp op) {
  for (const Syntax& s : Syntaxes) {
    if (s.op == op) return s.name;
  }
  return "?";
}

}  // namespace lmr
