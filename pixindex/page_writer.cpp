#include "pixindex/page_writer.h"

#include <cctype>

namespace pixmoor {

namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Opens the first of names[from...] that opens; false when none does.
bool OpenFirstFrom(FolderWalk& folders, const std::vector<std::string>& names, size_t from) {
  for (size_t i = from; i < names.size(); ++i) {
    if (folders.OpenSubFolder(names[i])) return true;
  }
  return false;
}

int WriteFolderSection(FolderWalk& folders, const PageSettings& settings, LineSink& out) {
  const std::vector<std::string> pictures = folders.Pictures();
  if (pictures.empty()) return 0;
  // The count is the whole list's, before the date filter.
  if (int error = out.WriteLine(CountLine(settings.language, pictures.size(), folders.DisplayPath()))) return error;
  const std::string folder = folders.CurrentPath();
  for (const std::string& name : pictures) {
    const std::string full = FullPathOf(folder, name);
    if (settings.dateFilter) {
      int64_t day = 0;
      if (!folders.ModifiedDay(full, day) || day < settings.filterDay) continue;
    }
    if (int error = out.WriteLine(ImageLine(PictureSourcePath(full)))) return error;
  }
  return 0;
}

// The walk: the current folder's section, then down into its first
// sub-folder, or up until a folder has a next sibling. `depth` counts the
// steps below the starting folder, so the walk never climbs above it.
int WriteFolders(FolderWalk& folders, const PageSettings& settings, LineSink& out) {
  int32_t depth = 0;
  for (;;) {
    if (int error = WriteFolderSection(folders, settings, out)) return error;
    if (!settings.subFolders) return 0;
    if (OpenFirstFrom(folders, folders.SubFolders(), 0)) {
      ++depth;
      continue;
    }
    bool opened = false;
    while (depth > 0 && !opened) {
      const std::string name = LastComponent(folders.CurrentPath());
      if (!folders.OpenParent()) return 0;  // the tree went away under the walk
      --depth;
      // Siblings are found by name in the parent's list, so a folder named
      // like its parent (D:\FOTOS\FOTOS) is still visited once. A name no
      // longer listed counts as the last.
      const std::vector<std::string> siblings = folders.SubFolders();
      for (size_t i = 0; i < siblings.size(); ++i) {
        if (SameName(siblings[i], name)) {
          opened = OpenFirstFrom(folders, siblings, i + 1);
          break;
        }
      }
    }
    if (!opened) return 0;
    ++depth;
  }
}

}  // namespace

int WritePicturePage(FolderWalk& folders, const PageSettings& settings, LineSink& out) {
  for (const std::string& line : HeadLines(settings.language, settings.headerFileFound, settings.headerLines)) {
    if (int error = out.WriteLine(line)) return error;
  }
  if (int error = WriteFolders(folders, settings, out)) return error;
  return out.WriteLine(EndLine);
}

}  // namespace pixmoor
