// Writes the picture page of a folder tree: the head, then a pre-order,
// depth-first walk over the folders (a folder's own pictures before those
// of its sub-folders, sub-folders in folder-list order), then the end line.
// The walk moves the folder list itself, as the window's folder list
// follows it, and leaves it at the starting folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pixindex/page_lines.h"

namespace pixmoor {

// The window's folder list, file list and folder label as the walk sees
// them. The current folder changes only through OpenSubFolder and
// OpenParent.
struct FolderWalk {
  virtual ~FolderWalk() = default;
  virtual std::string CurrentPath() = 0;  // full path, D:\PIX
  virtual std::string DisplayPath() = 0;  // as the folder label shows it, possibly shortened
  // The picture list of the current folder, in list order (sub-folders
  // that match the mask appear as [name]).
  virtual std::vector<std::string> Pictures() = 0;
  virtual std::vector<std::string> SubFolders() = 0;  // list order
  // False when the folder cannot be opened; the current folder stays.
  virtual bool OpenSubFolder(const std::string& name) = 0;
  virtual bool OpenParent() = 0;
  // The last change of the file at `fullPath` as a day number in local
  // time (days since some fixed day); false when the entry has none.
  virtual bool ModifiedDay(const std::string& fullPath, int64_t& day) = 0;
};

// Where the lines go; each call returns 0 or the system's error code of
// the failed write, which ends the page there.
struct LineSink {
  virtual ~LineSink() = default;
  virtual int WriteLine(const std::string& line) = 0;
};

struct PageSettings {
  Language language = Language::English;
  bool headerFileFound = false;
  std::vector<std::string> headerLines;
  bool subFolders = false;
  bool dateFilter = false;
  int64_t filterDay = 0;  // pictures changed on or after this day count
};

// Writes the whole page; 0, or the error code of the write that failed.
// With the date filter on, entries without a date of their own (sub-folder
// entries, files dated before 1980) are left out: nothing says they are
// recent enough.
int WritePicturePage(FolderWalk& folders, const PageSettings& settings, LineSink& out);

}  // namespace pixmoor
