#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/nphost/script_parser.h"

namespace lmr {
namespace {

// A command as one comparable line: name line embed x y value "file".
std::string describe(const ScriptCommand& c) {
  return std::string(scriptOpName(c.op)) + " " + std::to_string(c.line) + " " +
         std::to_string(c.embed) + " " + std::to_string(c.x) + " " + std::to_string(c.y) + " " +
         std::to_string(c.value) + " \"" + c.file + "\"";
}

struct GoodCase {
  const char* name;
  std::string script;
  std::vector<std::string> commands;
};

TEST(ScriptParser, ReadsEveryCommand) {
  const GoodCase cases[] = {
      {"every command once",
       "wait 250\nloaded 1\nmove 1 5 6\ndown 1 -3 4\nup 2 0 0\nclick 1 10 20\n"
       "rclick 1 7 8 0\nshot 1 a.bmp\nshotpage p.bmp\nprint 2 320 240 pr.bmp\n"
       "resize 1 300 200\nnowindow 1\nstream 1 b.lmr\ndestroy 2\nquit",
       {"wait 1 0 0 0 250 \"\"", "loaded 2 1 0 0 0 \"\"", "move 3 1 5 6 0 \"\"",
        "down 4 1 -3 4 0 \"\"", "up 5 2 0 0 0 \"\"", "click 6 1 10 20 0 \"\"",
        "rclick 7 1 7 8 0 \"\"", "shot 8 1 0 0 0 \"a.bmp\"", "shotpage 9 0 0 0 0 \"p.bmp\"",
        "print 10 2 320 240 0 \"pr.bmp\"", "resize 11 1 300 200 0 \"\"", "nowindow 12 1 0 0 0 \"\"",
        "stream 13 1 0 0 0 \"b.lmr\"", "destroy 14 2 0 0 0 \"\"", "quit 15 0 0 0 0 \"\""}},
      {"comments, blank lines, tabs and CR LF keep line numbers",
       "# a script\r\n\r\n  \t wait\t0  \r\n   # indented comment\n\tquit\r\n",
       {"wait 3 0 0 0 0 \"\"", "quit 5 0 0 0 0 \"\""}},
      {"a file name is the rest of the line, blanks inside kept",
       "shot 1   C:\\my shots\\one #1.bmp  \r\nstream 2 movies/a b.lmr",
       {"shot 1 1 0 0 0 \"C:\\my shots\\one #1.bmp\"", "stream 2 2 0 0 0 \"movies/a b.lmr\""}},
      {"range ends", "wait 600000\nresize 9999 4096 1\nrclick 1 -32768 32767 65535",
       {"wait 1 0 0 0 600000 \"\"", "resize 2 9999 4096 1 0 \"\"",
        "rclick 3 1 -32768 32767 65535 \"\""}},
      {"empty script", "", {}},
  };
  for (const GoodCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(parseScript(c.script, commands, error)) << error;
    std::vector<std::string> described;
    for (const ScriptCommand& command : commands) described.push_back(describe(command));
    EXPECT_EQ(described, c.commands);
  }
}

struct BadCase {
  std::string script;
  std::string error;
};

TEST(ScriptParser, NamesTheBadLine) {
  const BadCase cases[] = {
      {"wait 1\njump 1", "line 2: unknown command 'jump'"},
      {"WAIT 1", "line 1: unknown command 'WAIT'"},
      {"wait", "line 1: too few arguments; usage: wait MS"},
      {"click 1 2", "line 1: too few arguments; usage: click N X Y"},
      {"\n\nquit now", "line 3: unexpected 'now'; usage: quit"},
      {"destroy 1 2", "line 1: unexpected '2'; usage: destroy N"},
      {"loaded 0", "line 1: '0' is not an embed number from 1 to 9999; usage: loaded N"},
      {"loaded x", "line 1: 'x' is not an embed number from 1 to 9999; usage: loaded N"},
      {"wait -1", "line 1: '-1' is not milliseconds from 0 to 600000; usage: wait MS"},
      {"wait 600001", "line 1: '600001' is not milliseconds from 0 to 600000; usage: wait MS"},
      {"wait 99999999999999999999",
       "line 1: '99999999999999999999' is not milliseconds from 0 to 600000; usage: wait MS"},
      {"wait 1e3", "line 1: '1e3' is not milliseconds from 0 to 600000; usage: wait MS"},
      {"wait +5", "line 1: '+5' is not milliseconds from 0 to 600000; usage: wait MS"},
      {"move 1 - 2",
       "line 1: '-' is not a coordinate from -32768 to 32767; usage: move N X Y"},
      {"resize 1 0 10", "line 1: '0' is not a size from 1 to 4096; usage: resize N W H"},
      {"print 1 10 4097 a.bmp",
       "line 1: '4097' is not a size from 1 to 4096; usage: print N W H FILE.bmp"},
      {"rclick 1 2 3 70000",
       "line 1: '70000' is not a menu command from 0 to 65535; usage: rclick N X Y CHOICE"},
      {"shot 1", "line 1: missing file name; usage: shot N FILE.bmp"},
      {"shotpage   \r", "line 1: missing file name; usage: shotpage FILE.bmp"},
      {std::string("wait 1\nquit\0x", 13), "line 2: a zero byte"},
  };
  for (const BadCase& c : cases) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_FALSE(parseScript(c.script, commands, error)) << c.script;
    EXPECT_EQ(error, c.error);
  }
}

TEST(ScriptParser, EmbedNumbersMustBeOnThePage) {
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(parseScript("shotpage p.bmp\nwait 5\nshot 2 a.bmp\ndestroy 3\n", commands, error));
  EXPECT_TRUE(checkScriptEmbeds(commands, 3, error));
  EXPECT_FALSE(checkScriptEmbeds(commands, 2, error));
  EXPECT_EQ(error, "line 4: the page has 2 embed(s), no embed 3");
  EXPECT_FALSE(checkScriptEmbeds(commands, 0, error));
  EXPECT_EQ(error, "line 3: the page has 0 embed(s), no embed 2");
}

}  // namespace
}  // namespace lmr
