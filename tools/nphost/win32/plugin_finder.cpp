#include "tools/nphost/win32/plugin_finder.h"

#include <windows.h>

namespace lmr {

std::string versionString(const std::string& path, const char* key) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return std::string();
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return std::string();
  std::string query = std::string("\\StringFileInfo\\040904E4\\") + key;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), query.c_str(), &value, &length) || value == nullptr) {
    return std::string();
  }
  return std::string(static_cast<const char*>(value));
}

std::vector<PluginFile> findPlugins(const std::string& folder) {
  std::vector<PluginFile> plugins;
  std::string base = folder;
  if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "np*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return plugins;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    PluginFile plugin;
    plugin.path = base + found.cFileName;
    plugin.mimeTypes = versionString(plugin.path, "MIMEType");
    plugin.fileExtents = versionString(plugin.path, "FileExtents");
    if (!plugin.mimeTypes.empty()) plugins.push_back(plugin);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return plugins;
}

}  // namespace lmr
