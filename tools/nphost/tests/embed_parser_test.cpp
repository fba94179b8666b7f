#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/nphost/embed_parser.h"

namespace lmr {
namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

Attributes attributesOf(const Embed& embed) {
  Attributes out;
  for (const EmbedAttribute& a : embed.attributes) out.emplace_back(a.name, a.value);
  return out;
}

struct PageCase {
  const char* name;
  std::string html;
  std::vector<Attributes> embeds;
};

TEST(EmbedParser, AttributesInPageOrder) {
  const PageCase cases[] = {
      {"quoting styles and a bare name",
       "<p><EMBED src=\"a b.lmr\" WIDTH=200 height='100' loop=false hidden></p>",
       {{{"src", "a b.lmr"}, {"WIDTH", "200"}, {"height", "100"}, {"loop", "false"},
         {"hidden", ""}}}},
      {"two embeds in order", "<embed src=1.lmr><div><embed src=2.lmr name=two></div>",
       {{{"src", "1.lmr"}}, {{"src", "2.lmr"}, {"name", "two"}}}},
      {"blanks around = and a self-closing end", "<embed src = 'x.lmr'  width= 5 />",
       {{{"src", "x.lmr"}, {"width", "5"}}}},
      {"'>' inside a quoted value", "<embed name=\"a>b\" src=x.lmr>",
       {{{"name", "a>b"}, {"src", "x.lmr"}}}},
      {"no embed in other tags or comments",
       "<embedded src=no.lmr><!-- <embed src=old.lmr> --><img src=x.lmr>", {}},
      {"an embed cut off at the page's end", "<embed src=\"cut.lmr", {{{"src", "cut.lmr"}}}},
      {"an unterminated comment hides the rest", "<!-- <embed src=a.lmr>", {}},
      {"a stray equals sign is skipped", "<embed = src=a.lmr>", {{{"src", "a.lmr"}}}},
      {"an empty embed", "<embed>", {{}}},
      {"empty page", "", {}},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Embed> embeds = parseEmbeds(c.html);
    ASSERT_EQ(embeds.size(), c.embeds.size());
    for (std::size_t i = 0; i < embeds.size(); ++i) {
      EXPECT_EQ(attributesOf(embeds[i]), c.embeds[i]);
    }
  }
}

TEST(EmbedParser, AttributeLookupIgnoresCaseAndTakesTheFirst) {
  const std::vector<Embed> embeds = parseEmbeds("<embed SRC=a.lmr src=b.lmr Width=7>");
  ASSERT_EQ(embeds.size(), 1u);
  EXPECT_EQ(embedAttribute(embeds[0], "src"), "a.lmr");
  EXPECT_EQ(embedAttribute(embeds[0], "WIDTH"), "7");
  EXPECT_EQ(embedAttribute(embeds[0], "height", "fallback"), "fallback");
}

}  // namespace
}  // namespace lmr
