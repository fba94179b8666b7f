// Finds plug-ins the way browsers did: every np*.dll in a folder whose
// version block names the MIME types it plays.
#pragma once

#include <string>
#include <vector>

namespace lmr {

struct PluginFile {
  std::string path;
  std::string mimeTypes;    // "MIMEType"
  std::string fileExtents;  // "FileExtents"
};

std::vector<PluginFile> findPlugins(const std::string& folder);

// The version block string of that key in the English (US), code page 1252
// table, or empty.
std::string versionString(const std::string& path, const char* key);

}  // namespace lmr
