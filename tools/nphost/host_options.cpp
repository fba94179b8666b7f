#include "tools/nphost/host_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace lmr {

const char* const HostUsage =
    "usage: nphost [--plugins DIR] [--minor N] [--chunk BYTES] [--rate BYTES_PER_S]\n"
    "              [--log FILE] [--script FILE] PAGE\n"
    "Loads the plug-ins of PAGE's embeds, found by their version blocks in DIR\n"
    "(default: nphost's folder), and streams each embed's src file to its plug-in.\n"
    "  --minor N        browser interface version 0.N (0-255, default 9)\n"
    "  --chunk BYTES    stream block size (default 4096)\n"
    "  --rate BYTES_PER_S  pace the stream (default: as fast as the plug-in takes it)\n"
    "  --log FILE       one line per call across the plug-in interface\n"
    "  --script FILE    commands to run once the page is loaded (without one the\n"
    "                   page runs for 2 s): wait MS, loaded N, move|down|up|click N X Y,\n"
    "                   rclick N X Y CHOICE, shot N FILE.bmp, shotpage FILE.bmp,\n"
    "                   print N W H FILE.bmp, resize N W H, nowindow N, stream N FILE,\n"
    "                   destroy N, quit; one a line, # starts a comment line\n"
    "Exit status: 0 done, 1 a page, plug-in or file could not be loaded or a\n"
    "script command not carried out, 2 usage or a bad script line.\n";

namespace {

// A whole decimal number within [low, high]; nothing else passes.
bool parseNumber(const char* text, long low, long high, long& value) {
  if (*text == '\0' || *text == '-' || *text == '+' || *text == ' ') return false;
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

struct NumberOption {
  const char* name;
  long low;
  long high;
};

}  // namespace

bool parseHostOptions(int argc, const char* const* argv, HostOptions& options, std::string& error) {
  options = HostOptions{};
  bool pageSeen = false;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options.help = true;
      continue;
    }
    if (arg[0] == '-' && arg[1] != '\0') {
      static const char* const valued[] = {"--plugins", "--minor", "--chunk", "--rate",
                                           "--log",     "--script"};
      bool known = false;
      for (const char* name : valued) known = known || std::strcmp(arg, name) == 0;
      if (!known) {
        error = std::string("unknown option ") + arg;
        return false;
      }
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      const char* value = argv[++i];
      static const NumberOption numbers[] = {
          {"--minor", 0, 255}, {"--chunk", 1, 0x7FFFFFFF}, {"--rate", 0, 0x7FFFFFFF}};
      long number = 0;
      for (const NumberOption& n : numbers) {
        if (std::strcmp(arg, n.name) == 0 && !parseNumber(value, n.low, n.high, number)) {
          error = std::string(arg) + " takes a whole number from " + std::to_string(n.low) +
                  " to " + std::to_string(n.high) + ", not '" + value + "'";
          return false;
        }
      }
      if (std::strcmp(arg, "--plugins") == 0) options.pluginsDir = value;
      if (std::strcmp(arg, "--minor") == 0) options.browserMinor = static_cast<int>(number);
      if (std::strcmp(arg, "--chunk") == 0) options.chunk = static_cast<std::int32_t>(number);
      if (std::strcmp(arg, "--rate") == 0) options.rate = static_cast<std::int32_t>(number);
      if (std::strcmp(arg, "--log") == 0) options.logFile = value;
      if (std::strcmp(arg, "--script") == 0) options.scriptFile = value;
      if (*value == '\0') {
        error = std::string(arg) + " needs a value";
        return false;
      }
      continue;
    }
    if (pageSeen) {
      error = std::string("only one page, not also '") + arg + "'";
      return false;
    }
    options.page = arg;
    pageSeen = true;
  }
  if (!pageSeen && !options.help) {
    error = "no page given";
    return false;
  }
  return true;
}

}  // namespace lmr
