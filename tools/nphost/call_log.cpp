#include "tools/nphost/call_log.h"

namespace lmr {

std::string quoted(const char* text) {
  if (text == nullptr) return "null";
  return quoted(std::string(text));
}

std::string quoted(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\x";
          out += hex[byte >> 4];
          out += hex[byte & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string callLine(const std::string& name, const std::vector<std::string>& arguments) {
  if (arguments.empty()) return name;
  std::string line = name + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line += ", ";
    line += arguments[i];
  }
  return line + ")";
}

std::string callLine(const std::string& name, const std::vector<std::string>& arguments,
                     const std::string& result) {
  return callLine(name, arguments) + " -> " + result;
}

void writeLine(CallLog& log, const std::string& line) {
  if (log.file == nullptr) return;
  std::fputs(line.c_str(), log.file);
  std::fputc('\n', log.file);
  std::fflush(log.file);
}

}  // namespace lmr
