// The --log file: one line per call across the plug-in interface, in call
// order: NAME(ARG, ...) -> RESULT, strings in double quotes, null pointers
// as null; a call without arguments is NAME -> RESULT, one without a
// result ends after its arguments.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace lmr {

// A string argument: "text" with '"', '\\' and control bytes escaped
// (\" \\ \n \r \t \xNN), or null.
std::string quoted(const char* text);
std::string quoted(const std::string& text);

std::string callLine(const std::string& name, const std::vector<std::string>& arguments);
std::string callLine(const std::string& name, const std::vector<std::string>& arguments,
                     const std::string& result);

// Writes lines to a file, flushed at once so a crashing plug-in leaves the
// calls before the crash behind. Without a file it writes nothing.
struct CallLog {
  std::FILE* file = nullptr;
};

void writeLine(CallLog& log, const std::string& line);

}  // namespace lmr
