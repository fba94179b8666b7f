#include "pixindex/io_messages.h"

namespace pixmoor {

std::string IoErrorMessage(int code) {
  switch (code) {
    case 2: return "Datei nicht gefunden";
    case 3: return "Ung\xFCltiger Dateiname";
    case 4: return "Zu viele Dateien ge\xF6" "ffnet";
    case 5: return "Dateizugriff verweigert";
    case 101: return "Kapazit\xE4t der Diskette/Festplatte ersch\xF6pft";
    default: return "I/O-Fehler " + std::to_string(code);
  }
}

}  // namespace pixmoor
