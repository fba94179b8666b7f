// The browser's calls into one hosted instance, each logged: shared by the
// page's load and teardown and by script commands.
#pragma once

#include <string>

#include "tools/nphost/host_options.h"
#include "tools/nphost/win32/browser.h"

namespace lmr {

void logCall(const std::string& line);

// Dispatches every queued message of this thread.
void pumpMessages();

// NPP_SetWindow with the instance's record as it stands.
void setInstanceWindow(HostInstance& hosted);

// Streams data to the instance in blocks of at most options.chunk bytes,
// each no larger than NPP_WriteReady allows, paced at options.rate.
// Answers whether the stream reached its end.
bool streamFile(HostInstance& hosted, const std::string& url, const std::string& data,
                const HostOptions& options);

// NPP_Destroy, then the instance's window goes.
void destroyInstance(HostInstance& hosted);

}  // namespace lmr
