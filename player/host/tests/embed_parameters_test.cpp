// Embed parameters: each value form a page may write, malformed ones
// included, and the order effects between parameters.
#include "player/host/embed_parameters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "player/engine/display_list.h"
#include "player/host/player.h"
#include "player/host/tests/fake_platform.h"

namespace lmr {
namespace {

using Pairs = std::vector<std::pair<const char*, const char*>>;

struct Applied {
  test::FakePlatform platform;
  Player player{platform};
  explicit Applied(const Pairs& pairs) {
    for (const auto& [name, value] : pairs) applyParameter(player, name, value);
  }
};

TEST(EmbedParameters, FlagsAreTrueOnlyForTrueOrYesInAnyCase) {
  struct Field {
    const char* name;
    bool (*read)(const Player&);
  };
  const Field fields[] = {
      {"loop", [](const Player& p) { return p.loop; }},
      {"PLAY", [](const Player& p) { return p.playRequested; }},
      {"devicefont", [](const Player& p) { return p.stage.list.deviceFonts; }},
      {"Menu", [](const Player& p) { return p.menuEnabled; }},
  };
  struct Case {
    const char* value;
    bool expected;
  };
  const Case cases[] = {{"true", true}, {"YES", true}, {"True", true}, {"1", false},
                        {"", false},    {nullptr, false}, {"yes ", false}, {"tru", false}};
  for (const Field& f : fields) {
    for (const Case& c : cases) {
      Applied a(Pairs{{f.name, c.value}});
      EXPECT_EQ(f.read(a.player), c.expected) << f.name << "=" << (c.value ? c.value : "(none)");
    }
  }
  // devicefont starts off; true then false turns it back off.
  Applied a(Pairs{{"devicefont", "yes"}, {"devicefont", "no"}});
  EXPECT_FALSE(a.player.stage.list.deviceFonts);
}

TEST(EmbedParameters, BackgroundColourOverridesTheMovieWhenItHasSixCharacters) {
  struct Case {
    const char* value;
    bool applied;
    uint32_t red, green, blue;
  };
  const Case cases[] = {
      {"#FF8000", true, 255, 128, 0},   {"FF8000", true, 255, 128, 0}, {"#12345G", true, 0x12, 0x34, 0x50},
      {"abcdef99", true, 0xAB, 0xCD, 0xEF}, {"#zzzzzz", true, 0, 0, 0},  {"FF80", false, 0, 0, 0},
      {"#FF800", false, 0, 0, 0},       {"#", false, 0, 0, 0},         {"", false, 0, 0, 0},
      {"##FF8000", true, 0x0F, 0xF8, 0x00},
  };
  for (const Case& c : cases) {
    Applied a(Pairs{{"BGCOLOR", c.value}});
    const DisplayList& list = a.player.stage.list;
    if (!c.applied) {
      EXPECT_EQ(list.backgroundPriority, BackgroundUnset) << c.value;
      continue;
    }
    EXPECT_EQ(list.backgroundPriority, BackgroundFromPage) << c.value;
    EXPECT_EQ(list.background, packColor(c.red, c.green, c.blue)) << c.value;
  }
}

// The page's colour wins over the movie's background tag.
TEST(EmbedParameters, MovieBackgroundDoesNotReplaceThePageColour) {
  Applied a(Pairs{{"bgcolor", "#102030"}});
  const test::Bytes file = test::movieWith(test::join({test::backgroundTag(200, 100, 50), test::endTag()}), 1);
  test::feed(a.player.stage.movie, file);
  a.player.stage.movie.seekFrame(0);
  EXPECT_EQ(a.player.stage.list.background, packColor(0x10, 0x20, 0x30));
}

TEST(EmbedParameters, QualityWordsSetTheThreeQualityFlags) {
  struct Case {
    const char* value;
    bool high, automatic, best;
  };
  const Case cases[] = {
      {"autohigh", true, true, false}, {"AutoLow", false, true, false}, {"high", true, false, false},
      {"LOW", false, false, false},    {"Best", true, false, true},     {"medium", false, true, false},
      {"", false, true, false},        {"high ", false, true, false},
  };
  for (const Case& c : cases) {
    Applied a(Pairs{{"quality", c.value}});
    EXPECT_EQ(a.player.highQuality, c.high) << c.value;
    EXPECT_EQ(a.player.autoQuality, c.automatic) << c.value;
    EXPECT_EQ(a.player.bestQuality, c.best) << c.value;
  }
}

TEST(EmbedParameters, ScaleAssignsAndAlignmentAccumulates) {
  struct Case {
    Pairs pairs;
    uint32_t flags;
  };
  const Case cases[] = {
      {{{"salign", "TL"}, {"scale", "noborder"}}, ScaleNoBorder},
      {{{"scale", "noborder"}, {"salign", "TL"}}, ScaleNoBorder | AlignTop | AlignLeft},
      {{{"scale", "EXACTFIT"}}, ScaleExactFit},
      {{{"scale", "noborder"}, {"scale", "showall"}}, ScaleShowAll},
      {{{"scale", "noborder"}, {"scale", "stretch"}}, ScaleNoBorder},
      {{{"salign", "r"}, {"salign", "B"}}, AlignRight | AlignBottom},
      {{{"salign", "bottom-right"}}, AlignBottom | AlignTop | AlignRight},
      {{{"salign", "xyz"}}, 0},
  };
  for (const Case& c : cases) {
    Applied a(c.pairs);
    EXPECT_EQ(a.player.viewFlags, c.flags) << c.pairs[0].first << "=" << c.pairs[0].second;
  }
}

TEST(EmbedParameters, SpeedLimitReadsLeadingDigits) {
  struct Case {
    const char* value;
    int32_t limit;
  };
  const Case cases[] = {{"2400", 2400},      {"2400bps", 2400},          {"fast", 0}, {"", 0},
                        {" 2400", 0},        {"-5", 0},                  {"007", 7},
                        {"2147483647", INT32_MAX}, {"99999999999999", INT32_MAX}};
  for (const Case& c : cases) {
    Applied a(Pairs{{"speedlimit", "1000"}, {"SpeedLimit", c.value}});
    EXPECT_EQ(a.player.speedLimit, c.limit) << c.value;
  }
}

TEST(EmbedParameters, NameIsAnOwnedCopyThatALaterNameReplaces) {
  char value[] = "first";
  Applied a(Pairs{{"name", value}});
  std::strcpy(value, "later");
  ASSERT_NE(a.player.name, nullptr);
  EXPECT_STREQ(a.player.name, "first");
  applyParameter(a.player, "NAME", "second");
  EXPECT_STREQ(a.player.name, "second");
}

// Unknown names, a missing name and near misses change nothing.
TEST(EmbedParameters, UnknownNamesAreIgnored) {
  Applied a(Pairs{{"loops", "false"}, {nullptr, "false"}, {"", "false"}, {"src", "movie.lmr"}, {"menu ", "no"}});
  EXPECT_TRUE(a.player.loop);
  EXPECT_TRUE(a.player.menuEnabled);
  EXPECT_EQ(a.player.name, nullptr);
}

// The page's list reaches an embedded movie in order; a full-page movie
// and a list the browser did not give change nothing.
TEST(EmbedParameters, OnlyAnEmbeddedMovieTakesThePagesList) {
  const char* const names[] = {"salign", "loop", "scale", "salign"};
  const char* const values[] = {"r", "false", "noborder", "t"};
  struct Case {
    uint32_t mode;
    int32_t count;
    bool given;
    bool loop;
    uint32_t flags;
  };
  const Case cases[] = {
      {ModeEmbed, 4, true, false, ScaleNoBorder | AlignTop},
      {ModeEmbed, 2, true, false, AlignRight},
      {ModeEmbed, 0, true, true, 0},
      {ModeEmbed, -1, true, true, 0},
      {ModeFullPage, 4, true, true, 0},
      {0, 4, true, true, 0},
      {ModeEmbed, 4, false, true, 0},
  };
  for (const Case& c : cases) {
    test::FakePlatform platform;
    Player player(platform);
    applyEmbedParameters(player, c.mode, c.count, c.given ? names : nullptr, c.given ? values : nullptr);
    EXPECT_EQ(player.loop, c.loop) << c.mode << " " << c.count;
    EXPECT_EQ(player.viewFlags, c.flags) << c.mode << " " << c.count;
  }
}

}  // namespace
}  // namespace lmr
