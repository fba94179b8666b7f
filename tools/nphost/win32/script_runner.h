// Runs a parsed --script on the loaded page, on the browser thread.
#pragma once

#include <vector>

#include "tools/nphost/host_options.h"
#include "tools/nphost/script_parser.h"

namespace lmr {

// 0 when the script ran to its end or to quit; 1 when a command could not
// be carried out (a file not read or written, an embed gone), said on
// standard error with its line.
int runScript(const std::vector<ScriptCommand>& commands, const HostOptions& options);

}  // namespace lmr
