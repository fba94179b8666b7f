// nphost run as a program on small pages, with NPLMR32 beside it: its exit
// statuses and the call log it writes.
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
    logPath = folder + "log.txt";
  }
  void TearDown() override {
    for (const char* name : {"m.lmr", "page.html", "none.html", "missing.html", "other.html",
                             "probe.html", "a.prb", "log.txt"}) {
      DeleteFileA((folder + name).c_str());
    }
    RemoveDirectoryA((folder + "empty").c_str());
    RemoveDirectoryA(folder.c_str());
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

TEST_F(NphostRun, PageThatCannotLoadCallsNoPlugin) {
  // Every embed's file is read before any plug-in is loaded.
  ASSERT_EQ(runHost({"--log", logPath, folder + "missing.html"}), 1);
  EXPECT_TRUE(readLines(logPath).empty());
}

}  // namespace
}  // namespace lmr
