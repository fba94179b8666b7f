// nphost run as a program on small pages, with NPLMR32 beside it: its exit
// statuses, the call log it writes and what its scripts save.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "player/host/npapi/np_tables.h"

namespace lmr {
namespace {

std::string programFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// Runs nphost with the arguments, each quoted; answers its exit status, or
// -1 when it could not be started or did not end within a minute.
int runHost(const std::vector<std::string>& args) {
  std::string commandLine = "\"" + programFolder() + "nphost.exe\"";
  for (const std::string& arg : args) commandLine += " \"" + arg + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  DWORD status = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  } else {
    TerminateProcess(process.hProcess, 99);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A scratch folder with a page, a 17-byte file for its embeds and an empty
// folder that holds no plug-in.
class NphostRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "nphost_test_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "empty").c_str(), nullptr);
    writeFile(folder + "m.lmr", std::string("LMV\x05\x00\x00\x00" "abcdefghij", 17));
    writeFile(folder + "page.html",
              "<html><body><EMBED src=\"m.lmr\" width=200 height=100 name='one'>\n"
              "<p><embed src=m.lmr loop></p></body></html>");
    writeFile(folder + "none.html", "<html><body>no embeds</body></html>");
    writeFile(folder + "missing.html", "<embed src=gone.lmr>");
    writeFile(folder + "other.html", "<embed src=m.xyz>");
    writeFile(folder + "probe.html", "<embed src=\"a.prb\" width=10 height=10>");
    writeFile(folder + "a.prb", "0123456789AB");
    writeFile(folder + "paint.html", "<embed src=\"a.prb\" width=40 height=30>");
    logPath = folder + "log.txt";
  }
  void TearDown() override {
    for (const char* name : {"m.lmr", "page.html", "none.html", "missing.html", "other.html",
                             "probe.html", "a.prb", "log.txt", "paint.html", "script.txt",
                             "shot.bmp", "page.bmp", "print.bmp", "resized.bmp"}) {
      DeleteFileA((folder + name).c_str());
    }
    RemoveDirectoryA((folder + "empty").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  // Runs nphost with npprobe on paint.html and the script; "@" in the
  // script stands for the scratch folder.
  int runProbeScript(const std::string& script) {
    std::string text = script;
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
      text.replace(at, 1, folder);
      at += folder.size();
    }
    writeFile(folder + "script.txt", text);
    return runHost({"--plugins", programFolder() + "nphost-probe", "--log", logPath, "--script",
                    folder + "script.txt", folder + "paint.html"});
  }
  std::string folder;
  std::string logPath;
};

struct StatusCase {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the scratch folder
  int status;
};

TEST_F(NphostRun, ExitStatuses) {
  const StatusCase cases[] = {
      {"no page", {}, 2},
      {"unknown option", {"--zoom", "2", "@page.html"}, 2},
      {"minor out of range", {"--minor", "256", "@page.html"}, 2},
      {"chunk of zero", {"--chunk", "0", "@page.html"}, 2},
      {"two pages", {"@page.html", "@none.html"}, 2},
      {"help", {"--help"}, 0},
      {"page missing", {"@nothere.html"}, 1},
      {"embed file missing", {"@missing.html"}, 1},
      {"no plug-in for the type", {"@other.html"}, 1},
      {"no plug-in in the folder", {"--plugins", "@empty", "@page.html"}, 1},
      {"script missing", {"--script", "@nothere.txt", "@page.html"}, 1},
      {"page without embeds", {"@none.html"}, 0},
      {"page with two embeds", {"@page.html"}, 0},
  };
  for (const StatusCase& c : cases) {
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(arg[0] == '@' ? folder + arg.substr(1) : arg);
    EXPECT_EQ(runHost(args), c.status) << c.name;
  }
}

TEST_F(NphostRun, LogsEveryCallInOrder) {
  ASSERT_EQ(runHost({"--chunk", "7", "--minor", "9", "--log", logPath, folder + "page.html"}), 0);
  const std::vector<std::string> expected = {
      "NP_GetEntryPoints -> 0",
      "NP_Initialize -> 0",
      "NPP_New(\"application/lumora\", 1, 1, 4, {\"src\"=\"m.lmr\", \"width\"=\"200\", "
      "\"height\"=\"100\", \"name\"=\"one\"}) -> 0",
      "NPP_SetWindow(1, 0, 0, 200, 100) -> 0",
      "NPP_New(\"application/lumora\", 2, 1, 2, {\"src\"=\"m.lmr\", \"loop\"=\"\"}) -> 0",
      "NPP_SetWindow(2, 0, 100, 100, 100) -> 0",
      "NPP_NewStream(1, \"application/lumora\", \"m.lmr\", 0) -> 0 type 1",
      "NPP_WriteReady(1, \"m.lmr\") -> 268435455",
      "NPP_Write(1, \"m.lmr\", 0, 7) -> 7",
      "NPP_WriteReady(1, \"m.lmr\") -> 268435455",
      "NPP_Write(1, \"m.lmr\", 7, 7) -> 7",
      "NPP_WriteReady(1, \"m.lmr\") -> 268435455",
      "NPP_Write(1, \"m.lmr\", 14, 3) -> 3",
      "NPP_DestroyStream(1, \"m.lmr\", 0) -> 0",
      "NPP_NewStream(2, \"application/lumora\", \"m.lmr\", 0) -> 0 type 1",
      "NPP_WriteReady(2, \"m.lmr\") -> 268435455",
      "NPP_Write(2, \"m.lmr\", 0, 7) -> 7",
      "NPP_WriteReady(2, \"m.lmr\") -> 268435455",
      "NPP_Write(2, \"m.lmr\", 7, 7) -> 7",
      "NPP_WriteReady(2, \"m.lmr\") -> 268435455",
      "NPP_Write(2, \"m.lmr\", 14, 3) -> 3",
      "NPP_DestroyStream(2, \"m.lmr\", 0) -> 0",
      "NPP_Destroy(1) -> 0",
      "NPP_Destroy(2) -> 0",
      "NP_Shutdown -> 0",
  };
  EXPECT_EQ(readLines(logPath), expected);
}

// npprobe calls back into the browser from NPP_New, takes at most 5 bytes
// per block and only 2 of its first: the log shows the browser's calls, the
// table it handed over, and blocks resent from where the plug-in stopped,
// with or without pacing.
TEST_F(NphostRun, BrowserCallsAndPartialWrites) {
  const std::string probeFolder = programFolder() + "nphost-probe";
  const std::string tableLine = "NPN_Status(1, \"browser 0.11, table of " +
                                std::to_string(sizeof(NPNetscapeFuncs)) + " bytes\")";
  const std::vector<std::string> expected = {
      "NP_GetEntryPoints -> 0",
      "NP_Initialize -> 0",
      tableLine,
      "NPN_MemAlloc(16) -> ok",
      "NPN_UserAgent(1) -> \"nphost/1.0\"",
      "NPN_GetURL(1, \"next \\\"page\\\".html\", \"_self\") -> 0",
      "NPN_MemFree(ok)",
      "NPN_Status(1, null)",
      "NPP_New(\"application/x-probe-two\", 1, 1, 3, {\"src\"=\"a.prb\", \"width\"=\"10\", "
      "\"height\"=\"10\"}) -> 0",
      "NPP_SetWindow(1, 0, 0, 10, 10) -> 0",
      "NPP_NewStream(1, \"application/x-probe-two\", \"a.prb\", 0) -> 0 type 1",
      "NPP_WriteReady(1, \"a.prb\") -> 5",
      "NPP_Write(1, \"a.prb\", 0, 5) -> 2",
      "NPP_WriteReady(1, \"a.prb\") -> 5",
      "NPP_Write(1, \"a.prb\", 2, 5) -> 5",
      "NPP_WriteReady(1, \"a.prb\") -> 5",
      "NPP_Write(1, \"a.prb\", 7, 5) -> 5",
      "NPP_DestroyStream(1, \"a.prb\", 0) -> 0",
      "NPP_Destroy(1) -> 0",
      "NP_Shutdown -> 0",
  };
  const std::vector<std::string> pacing[] = {{}, {"--rate", "1000"}};
  for (const std::vector<std::string>& extra : pacing) {
    SCOPED_TRACE(extra.empty() ? "at once" : "paced");
    std::vector<std::string> args = {"--plugins", probeFolder, "--minor", "11", "--chunk", "7",
                                      "--log", logPath};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(folder + "probe.html");
    ASSERT_EQ(runHost(args), 0);
    EXPECT_EQ(readLines(logPath), expected);
  }
}

// A 24-bit BMP as read back: its size from the headers, its pixels as
// 0xRRGGBB with (0, 0) top left.
struct Bmp {
  std::string bytes;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;
  unsigned pixel(int x, int y) const {
    const std::size_t at = 54 + stride * static_cast<std::size_t>(height - 1 - y) +
                           static_cast<std::size_t>(x) * 3;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    return static_cast<unsigned>(byte(2)) << 16 | static_cast<unsigned>(byte(1)) << 8 | byte(0);
  }
};

unsigned read32(const std::string& bytes, std::size_t at) {
  unsigned value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool readBmp(const std::string& path, Bmp& bmp) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  bmp.bytes = content.str();
  if (bmp.bytes.size() < 54 || bmp.bytes.compare(0, 2, "BM") != 0) return false;
  if ((read32(bmp.bytes, 28) & 0xFFFF) != 24 || read32(bmp.bytes, 30) != 0) return false;
  bmp.width = static_cast<int>(read32(bmp.bytes, 18));
  bmp.height = static_cast<int>(read32(bmp.bytes, 22));
  bmp.stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) & ~static_cast<std::size_t>(3);
  return bmp.bytes.size() == 54 + bmp.stride * static_cast<std::size_t>(bmp.height);
}

// npprobe's colours: what it paints in its window and what it prints.
constexpr unsigned Shown = 0x2080C0;
constexpr unsigned Printed = 0xC04010;
constexpr unsigned PageWhite = 0xFFFFFF;

struct PixelCheck {
  const char* file;
  int width;
  int height;
  std::vector<std::pair<std::pair<int, int>, unsigned>> pixels;
};

// A script that waits, saves the embed and the page, prints, resizes,
// takes the window away, streams again and destroys: the files hold what
// the probe drew at the sizes asked for, and the log the calls made.
TEST_F(NphostRun, ScriptSavesShotsAndPrintsAndMakesItsCalls) {
  ASSERT_EQ(runProbeScript("# every command that needs no mouse\n"
                           "wait 100\n"
                           "loaded 1\n"
                           "shot 1 @shot.bmp\n"
                           "shotpage @page.bmp\n"
                           "print 1 20 10 @print.bmp\n"
                           "resize 1 60 50\n"
                           "wait 50\n"
                           "shot 1 @resized.bmp\n"
                           "nowindow 1\n"
                           "stream 1 @a.prb\n"
                           "destroy 1\n"
                           "quit\n"
                           "shot 1 @never.bmp\n"),
            0);
  const PixelCheck checks[] = {
      {"shot.bmp", 40, 30, {{{0, 0}, Shown}, {{39, 29}, Shown}, {{20, 15}, Shown}}},
      {"page.bmp",
       640,
       480,
       {{{0, 0}, Shown}, {{39, 29}, Shown}, {{40, 0}, PageWhite}, {{0, 30}, PageWhite},
        {{639, 479}, PageWhite}}},
      {"print.bmp", 20, 10, {{{0, 0}, Printed}, {{19, 9}, Printed}}},
      {"resized.bmp", 60, 50, {{{0, 0}, Shown}, {{59, 49}, Shown}}},
  };
  for (const PixelCheck& check : checks) {
    SCOPED_TRACE(check.file);
    Bmp bmp;
    ASSERT_TRUE(readBmp(folder + check.file, bmp));
    EXPECT_EQ(bmp.width, check.width);
    EXPECT_EQ(bmp.height, check.height);
    for (const auto& p : check.pixels) {
      EXPECT_EQ(bmp.pixel(p.first.first, p.first.second), p.second)
          << "at " << p.first.first << ", " << p.first.second;
    }
  }
  EXPECT_EQ(GetFileAttributesA((folder + "never.bmp").c_str()), INVALID_FILE_ATTRIBUTES);

  std::string url = "\"";
  for (char c : folder + "a.prb") url += c == '\\' ? std::string("\\\\") : std::string(1, c);
  url += "\"";
  const std::vector<std::string> afterLoad = {
      "NPP_DestroyStream(1, \"a.prb\", 0) -> 0",
      "NPP_Print(1, 1, 20, 10)",
      "NPP_SetWindow(1, 0, 0, 60, 50) -> 0",
      "NPP_SetWindow(1, null) -> 0",
      "NPP_NewStream(1, \"application/x-probe-two\", " + url + ", 0) -> 0 type 1",
      "NPP_WriteReady(1, " + url + ") -> 5",
      "NPP_Write(1, " + url + ", 0, 5) -> 5",
      "NPP_WriteReady(1, " + url + ") -> 5",
      "NPP_Write(1, " + url + ", 5, 5) -> 5",
      "NPP_WriteReady(1, " + url + ") -> 5",
      "NPP_Write(1, " + url + ", 10, 2) -> 2",
      "NPP_DestroyStream(1, " + url + ", 0) -> 0",
      "NPP_Destroy(1) -> 0",
      "NP_Shutdown -> 0",
  };
  const std::vector<std::string> log = readLines(logPath);
  ASSERT_GE(log.size(), afterLoad.size());
  EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(afterLoad.size()), log.end()),
            afterLoad);
}

// Mouse input reaches the plug-in's window at the client point asked for,
// and a press injected from the script thread can be polled for on the
// browser thread until its release.
TEST_F(NphostRun, ScriptMouseInputReachesThePlugin) {
  ASSERT_EQ(runProbeScript("move 1 5 6\nclick 1 10 20\ndown 1 30 4\nup 1 31 5\n"), 0);
  std::vector<std::string> mouse;
  for (const std::string& line : readLines(logPath)) {
    for (const char* word : {"\"move ", "\"down ", "\"up ", "\"released", "\"still"}) {
      if (line.find(word) != std::string::npos) mouse.push_back(line);
    }
  }
  const std::vector<std::string> expected = {
      "NPN_Status(1, \"move 5,6\")",
      "NPN_Status(1, \"move 10,20\")",
      "NPN_Status(1, \"down 10,20\")",
      "NPN_Status(1, \"released while polling\")",
      "NPN_Status(1, \"up 10,20\")",
      "NPN_Status(1, \"move 30,4\")",
      "NPN_Status(1, \"down 30,4\")",
      "NPN_Status(1, \"still held\")",
      "NPN_Status(1, \"move 31,5\")",
      "NPN_Status(1, \"up 31,5\")",
  };
  EXPECT_EQ(mouse, expected);

  // A press the script never releases is released when the script ends:
  // the button's state is the whole session's, not nphost's alone.
  ASSERT_EQ(runProbeScript("down 1 30 4\n"), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0);
}

struct MenuCase {
  const char* name;
  const char* script;
  int status;
  std::vector<std::string> reports;  // the probe's menu reports, in order
};

// rclick picks a command from the popup menu the right click opens; 0
// dismisses it; a greyed or missing command is an error, the menu closed.
// The chosen command is posted, so it arrives once the menu has closed.
TEST_F(NphostRun, ScriptRightClickPicksFromThePopupMenu) {
  const MenuCase cases[] = {
      {"second command", "rclick 1 8 8 102\n", 0,
       {"NPN_Status(1, \"menu closed\")", "NPN_Status(1, \"command 102\")"}},
      {"dismissed", "rclick 1 8 8 0\n", 0, {"NPN_Status(1, \"menu closed\")"}},
      {"greyed command", "rclick 1 8 8 103\n", 1, {"NPN_Status(1, \"menu closed\")"}},
      {"no such command", "rclick 1 8 8 7\n", 1, {"NPN_Status(1, \"menu closed\")"}},
  };
  for (const MenuCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(runProbeScript(c.script), c.status);
    std::vector<std::string> reports;
    for (const std::string& line : readLines(logPath)) {
      if (line.find("\"command ") != std::string::npos ||
          line.find("\"menu closed") != std::string::npos) {
        reports.push_back(line);
      }
    }
    EXPECT_EQ(reports, c.reports);
  }
}

struct ScriptStatusCase {
  const char* name;
  const char* script;
  int status;
  bool pluginCalled;  // whether anything reached the plug-in
};

// Script errors stop nphost before any plug-in is loaded; commands that
// cannot be carried out stop it after, with the page torn down.
TEST_F(NphostRun, ScriptExitStatuses) {
  const ScriptStatusCase cases[] = {
      {"unknown command", "wait 1\nfly 1\n", 2, false},
      {"bad number", "resize 1 0 5\n", 2, false},
      {"embed not on the page", "shot 2 @shot.bmp\n", 2, false},
      {"file name missing", "shotpage\n", 2, false},
      {"stream file missing", "stream 1 @gone.prb\n", 1, true},
      {"destroyed embed used again", "destroy 1\nshot 1 @shot.bmp\n", 1, true},
      {"shot into a missing folder", "shot 1 @nofolder\\shot.bmp\n", 1, true},
      {"empty script", "", 0, true},
      {"a bad line after quit is still found", "quit\nfly\n", 2, false},
  };
  for (const ScriptStatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(logPath.c_str());
    EXPECT_EQ(runProbeScript(c.script), c.status);
    const std::vector<std::string> log = readLines(logPath);
    EXPECT_EQ(!log.empty(), c.pluginCalled);
    if (c.pluginCalled && !log.empty()) {
      EXPECT_EQ(log.back(), "NP_Shutdown -> 0");
    }
  }
}

TEST_F(NphostRun, PageThatCannotLoadCallsNoPlugin) {
  // Every embed's file is read before any plug-in is loaded.
  ASSERT_EQ(runHost({"--log", logPath, folder + "missing.html"}), 1);
  EXPECT_TRUE(readLines(logPath).empty());
}

}  // namespace
}  // namespace lmr
