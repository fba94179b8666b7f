#include "tools/nphost/plugin_types.h"

#include <cstddef>
#include <vector>

#include "tools/nphost/embed_parser.h"

namespace lmr {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string urlExtension(const std::string& url) {
  std::string path = url.substr(0, url.find_first_of("?#"));
  std::size_t slash = path.find_last_of("/\\");
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return path.substr(dot + 1);
}

std::string mimeTypeForExtension(const std::string& mimeTypes, const std::string& fileExtents,
                                 const std::string& extension) {
  if (extension.empty()) return std::string();
  const std::vector<std::string> types = split(mimeTypes, '|');
  const std::vector<std::string> extents = split(fileExtents, '|');
  for (std::size_t i = 0; i < extents.size() && i < types.size(); ++i) {
    for (const std::string& candidate : split(extents[i], ',')) {
      if (equalsIgnoringCase(trimmed(candidate), extension)) return trimmed(types[i]);
    }
  }
  return std::string();
}

}  // namespace lmr
