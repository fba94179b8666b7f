// The whole lmr2png command: arguments in, picture out, an exit status.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lmr::lmr2png {

constexpr int ExitWritten = 0;
constexpr int ExitNoPicture = 1;        // the movie cannot be read or is not one, or the picture cannot be written
constexpr int ExitUsage = 2;            // a bad command line; nothing written
constexpr int ExitFrameNotReached = 3;  // written, but the movie ended or its data ran out first

// Runs the command with the arguments after the program name; help goes to
// `out`, messages to `err`.
int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lmr::lmr2png
