// nphost's command line:
//   nphost [--plugins DIR] [--minor N] [--chunk BYTES] [--rate BYTES_PER_S]
//          [--log FILE] [--script FILE] PAGE
#pragma once

#include <cstdint>
#include <string>

namespace lmr {

struct HostOptions {
  std::string pluginsDir;  // empty: the folder nphost runs from
  int browserMinor = 9;    // the browser table's version is 0.minor
  std::int32_t chunk = 4096;
  std::int32_t rate = 0;   // bytes per second the stream is paced at; 0 = at once
  std::string logFile;
  std::string scriptFile;
  std::string page;
  bool help = false;
};

// Parses the arguments after the program name. On a usage error returns
// false with a message saying what was wrong.
bool parseHostOptions(int argc, const char* const* argv, HostOptions& options, std::string& error);

extern const char* const HostUsage;

}  // namespace lmr
