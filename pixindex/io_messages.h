// The run-time library's input/output messages, which the application's
// error box shows (with a full stop added) when the page cannot be written.
// They are German whatever the interface language.
#pragma once

#include <string>

namespace pixmoor {

// The message for a system error code: 2, 3, 4, 5 and 101 have their own
// texts, any other code reads "I/O-Fehler N". Windows-1252 bytes.
std::string IoErrorMessage(int code);

}  // namespace pixmoor
