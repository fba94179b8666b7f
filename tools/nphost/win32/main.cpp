// nphost: a test browser for our plug-ins. See host_options.cpp for its
// command line.
#include <cstdio>
#include <string>

#include "tools/nphost/host_options.h"
#include "tools/nphost/win32/host_session.h"

int main(int argc, char** argv) {
  lmr::HostOptions options;
  std::string error;
  if (!lmr::parseHostOptions(argc - 1, argv + 1, options, error)) {
    std::fprintf(stderr, "nphost: %s\n%s", error.c_str(), lmr::HostUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(lmr::HostUsage, stdout);
    return 0;
  }
  return lmr::runPage(options);
}
