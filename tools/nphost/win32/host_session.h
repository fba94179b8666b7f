// One run of nphost over a page: load the page and its plug-ins, create an
// instance per embed in a window of its own, stream each embed's src file
// to it, then tear everything down in the browser's order.
#pragma once

#include "tools/nphost/host_options.h"

namespace lmr {

// The exit status: 0 when the page and its script ran to their end, 1 when
// a page, plug-in or file could not be loaded or a script command could
// not be carried out, 2 for a bad script line (each said on standard error).
int runPage(const HostOptions& options);

}  // namespace lmr
