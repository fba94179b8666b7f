#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "pixindex/io_messages.h"
#include "pixindex/page_lines.h"
#include "pixindex/page_writer.h"

namespace pixmoor {
namespace {

using Lines = std::vector<std::string>;

// A folder tree in memory: folder paths to their pictures (name and change
// day; day -1: no date of its own) and sub-folders, the current folder
// moved only as the walk moves it.
struct FakeTree : FolderWalk {
  struct Folder {
    std::vector<std::pair<std::string, int64_t>> pictures;
    std::vector<std::string> subFolders;
  };
  std::map<std::string, Folder> folders;
  std::string current;
  std::vector<std::string> unopenable;

  std::string CurrentPath() override { return current; }
  std::string DisplayPath() override { return current.size() > 12 ? "...\\" + LastComponent(current) : current; }
  std::vector<std::string> Pictures() override {
    std::vector<std::string> names;
    for (const auto& p : folders[current].pictures) names.push_back(p.first);
    return names;
  }
  std::vector<std::string> SubFolders() override { return folders[current].subFolders; }
  bool OpenSubFolder(const std::string& name) override {
    const std::string path = FullPathOf(current, name);
    if (!folders.count(path) || std::count(unopenable.begin(), unopenable.end(), path)) return false;
    current = path;
    return true;
  }
  bool OpenParent() override {
    const size_t slash = current.rfind('\\');
    if (slash == std::string::npos || slash + 1 == current.size()) return false;
    current = slash == 2 ? current.substr(0, 3) : current.substr(0, slash);
    return true;
  }
  bool ModifiedDay(const std::string& fullPath, int64_t& day) override {
    const size_t slash = fullPath.rfind('\\');
    std::string folder = fullPath.substr(0, slash);
    if (slash == 2) folder += "\\";
    for (const auto& p : folders[folder].pictures) {
      if (p.first == fullPath.substr(slash + 1)) {
        day = p.second;
        return day >= 0;
      }
    }
    return false;
  }
};

struct Collect : LineSink {
  Lines lines;
  int failAt = -1;  // the write that fails, counted from 0
  int WriteLine(const std::string& line) override {
    if (static_cast<int>(lines.size()) == failAt) return 112;
    lines.push_back(line);
    return 0;
  }
};

// The lines after the head (six lines in English without a header file).
Lines Body(const Lines& all, size_t head = 6) { return Lines(all.begin() + static_cast<long>(head), all.end()); }

FakeTree PixTree() {
  FakeTree t;
  t.folders["D:\\PIX"] = {{{"a.gif", 10}, {"b.jpg", 20}}, {"OLD"}};
  t.folders["D:\\PIX\\OLD"] = {{{"c.gif", 5}}, {}};
  t.current = "D:\\PIX";
  return t;
}

TEST(PicturePage, WalksFoldersDepthFirstAndReturnsToTheStart) {
  struct Case {
    const char* name;
    bool subFolders;
    bool dateFilter;
    int64_t filterDay;
    Lines body;
  };
  const Case cases[] = {
      {"sub-folders included",
       true,
       false,
       0,
       {"<font size=5><center>2 Picture(s) in D:\\PIX</center><br>", "<IMG SRC=\"\\PIX\\a.gif\">",
        "<IMG SRC=\"\\PIX\\b.jpg\">", "<font size=5><center>1 Picture(s) in D:\\PIX\\OLD</center><br>",
        "<IMG SRC=\"\\PIX\\OLD\\c.gif\">", "<BR></BODY></HTML>"}},
      {"starting folder only",
       false,
       false,
       0,
       {"<font size=5><center>2 Picture(s) in D:\\PIX</center><br>", "<IMG SRC=\"\\PIX\\a.gif\">",
        "<IMG SRC=\"\\PIX\\b.jpg\">", "<BR></BODY></HTML>"}},
      // Counts stay whole; pictures changed before the day are left out,
      // a picture changed on the day itself stays.
      {"date filter",
       true,
       true,
       20,
       {"<font size=5><center>2 Picture(s) in D:\\PIX</center><br>", "<IMG SRC=\"\\PIX\\b.jpg\">",
        "<font size=5><center>1 Picture(s) in D:\\PIX\\OLD</center><br>", "<BR></BODY></HTML>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTree tree = PixTree();
    PageSettings settings;
    settings.subFolders = c.subFolders;
    settings.dateFilter = c.dateFilter;
    settings.filterDay = c.filterDay;
    Collect out;
    ASSERT_EQ(WritePicturePage(tree, settings, out), 0);
    EXPECT_EQ(Body(out.lines), c.body);
    EXPECT_EQ(tree.current, "D:\\PIX");
  }
}

TEST(PicturePage, EveryFolderOnceWhateverItsName) {
  // A folder named like its parent, an empty folder between, a folder that
  // cannot be opened, and a drive root as the start.
  FakeTree t;
  t.folders["D:\\"] = {{{"top.gif", 1}}, {"FOTOS", "LOCKED", "ZZ"}};
  t.folders["D:\\FOTOS"] = {{}, {"EMPTY", "FOTOS"}};
  t.folders["D:\\FOTOS\\EMPTY"] = {{}, {}};
  t.folders["D:\\FOTOS\\FOTOS"] = {{{"x y\xE9.jpg", 1}}, {}};
  t.folders["D:\\LOCKED"] = {{{"hidden.gif", 1}}, {}};
  t.folders["D:\\ZZ"] = {{{"[sub.gif]", -1}, {"z.gif", 1}}, {}};
  t.unopenable = {"D:\\LOCKED"};
  t.current = "D:\\";
  PageSettings settings;
  settings.subFolders = true;
  Collect out;
  ASSERT_EQ(WritePicturePage(t, settings, out), 0);
  const Lines body = {
      "<font size=5><center>1 Picture(s) in D:\\</center><br>",
      "<IMG SRC=\"\\top.gif\">",
      "<font size=5><center>1 Picture(s) in ...\\FOTOS</center><br>",
      "<IMG SRC=\"\\FOTOS\\FOTOS\\x y\xE9.jpg\">",
      "<font size=5><center>2 Picture(s) in D:\\ZZ</center><br>",
      "<IMG SRC=\"\\ZZ\\[sub.gif]\">",
      "<IMG SRC=\"\\ZZ\\z.gif\">",
      "<BR></BODY></HTML>",
  };
  EXPECT_EQ(Body(out.lines), body);
  EXPECT_EQ(t.current, "D:\\");

  // With the date filter on, an entry without a date of its own is left out.
  settings.dateFilter = true;
  settings.filterDay = 0;
  t.current = "D:\\ZZ";
  settings.subFolders = false;
  Collect filtered;
  ASSERT_EQ(WritePicturePage(t, settings, filtered), 0);
  EXPECT_EQ(Body(filtered.lines),
            (Lines{"<font size=5><center>2 Picture(s) in D:\\ZZ</center><br>", "<IMG SRC=\"\\ZZ\\z.gif\">",
                   "<BR></BODY></HTML>"}));
}

TEST(PicturePage, HeadInBothLanguagesWithAndWithoutHeaderFile) {
  const std::string link = std::string("<font size=4><a href=\"") + HomePageAddress + "\">" + HomePageAddress +
                           "</a><br><br>";
  const Lines common = {"<HTML><HEAD><TITLE>Pictures</TITLE></HEAD>", "<body BGCOLOR=#ffffff>",
                        "<font size=6><center>Relax and enjoy!<br>"};
  struct Case {
    const char* name;
    Language language;
    bool headerFileFound;
    Lines header;
    Lines rest;
  };
  const Case cases[] = {
      {"English", Language::English, false, {},
       {"<font size=3>Pictures arranged by Pixmoor<br><br>", "Visit our (german) homepage NOW!<br>", link}},
      {"German", Language::German, false, {},
       {"<font size=3>Die Bilder wurden f\xFCr Sie zusammengestellt von Pixmoor<br><br>",
        "Besuchen Sie JETZT unsere Internet-Seite auf<br>", link}},
      {"header file", Language::English, true, {"<a href=\"mine.htm\">Mine</a>", ""},
       {"<font size=3>Pictures arranged by Pixmoor<br><br>", "<a href=\"mine.htm\">Mine</a>", ""}},
      {"empty header file", Language::German, true, {},
       {"<font size=3>Die Bilder wurden f\xFCr Sie zusammengestellt von Pixmoor<br><br>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTree empty;
    empty.folders["C:\\NONE"] = {};
    empty.current = "C:\\NONE";
    PageSettings settings;
    settings.language = c.language;
    settings.headerFileFound = c.headerFileFound;
    settings.headerLines = c.header;
    Collect out;
    ASSERT_EQ(WritePicturePage(empty, settings, out), 0);
    Lines want = common;
    want.insert(want.end(), c.rest.begin(), c.rest.end());
    want.push_back("<BR></BODY></HTML>");  // no picture anywhere: head and end only
    EXPECT_EQ(out.lines, want);
  }
  EXPECT_EQ(CountLine(Language::German, 12, "D:\\X"), "<font size=5><center>12 Bild(er) in D:\\X</center><br>");
}

TEST(PicturePage, AFailedWriteEndsThePageThere) {
  for (int failAt : {0, 6, 8, 9}) {
    SCOPED_TRACE(failAt);
    FakeTree tree = PixTree();
    PageSettings settings;
    settings.subFolders = true;
    Collect out;
    out.failAt = failAt;
    EXPECT_EQ(WritePicturePage(tree, settings, out), 112);
    EXPECT_EQ(out.lines.size(), static_cast<size_t>(failAt));
  }
}

TEST(PicturePage, PathsCarryNoDriveAndNoEscapes) {
  struct Case {
    std::string folder, name, full, source;
  };
  const Case cases[] = {
      {"D:\\PPIX\\SHOWPIX", "sea.gif", "D:\\PPIX\\SHOWPIX\\sea.gif", "\\PPIX\\SHOWPIX\\sea.gif"},
      {"D:\\", "sea.gif", "D:\\sea.gif", "\\sea.gif"},
      {"d:\\My Pics", "\xFC" "ber & <b>.jpg", "d:\\My Pics\\\xFC" "ber & <b>.jpg", "\\My Pics\\\xFC" "ber & <b>.jpg"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FullPathOf(c.folder, c.name), c.full);
    EXPECT_EQ(PictureSourcePath(c.full), c.source);
  }
  EXPECT_EQ(LastComponent("D:\\PIX\\OLD"), "OLD");
  EXPECT_EQ(LastComponent("D:\\"), "");
}

TEST(IoMessages, GermanTextsByCode) {
  EXPECT_EQ(IoErrorMessage(2), "Datei nicht gefunden");
  EXPECT_EQ(IoErrorMessage(4), "Zu viele Dateien ge\xF6" "ffnet");
  EXPECT_EQ(IoErrorMessage(101), "Kapazit\xE4t der Diskette/Festplatte ersch\xF6pft");
  EXPECT_EQ(IoErrorMessage(112), "I/O-Fehler 112");
}

}  // namespace
}  // namespace pixmoor
