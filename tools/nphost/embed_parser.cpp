#include "tools/nphost/embed_parser.h"

#include <cctype>
#include <cstddef>

namespace lmr {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// True when html holds "<embed" (any case) at pos, followed by a blank, a
// '>' or a '/', so <embedded> is no embed.
bool embedTagAt(const std::string& html, std::size_t pos) {
  static const char tag[] = "<embed";
  for (std::size_t i = 0; i < sizeof tag - 1; ++i) {
    if (pos + i >= html.size() || lower(html[pos + i]) != tag[i]) return false;
  }
  std::size_t after = pos + sizeof tag - 1;
  return after == html.size() || isSpace(html[after]) || html[after] == '>' || html[after] == '/';
}

// Reads the attributes from pos up to the tag's '>' (or the end of the
// page) and leaves pos after it.
Embed readAttributes(const std::string& html, std::size_t& pos) {
  Embed embed;
  const std::size_t n = html.size();
  while (pos < n) {
    while (pos < n && (isSpace(html[pos]) || html[pos] == '/')) ++pos;
    if (pos >= n) break;
    if (html[pos] == '>') {
      ++pos;
      break;
    }
    EmbedAttribute attribute;
    while (pos < n && !isSpace(html[pos]) && html[pos] != '=' && html[pos] != '>' &&
           html[pos] != '/') {
      attribute.name += html[pos++];
    }
    if (attribute.name.empty()) {
      ++pos;  // a stray '=' or quote: skip it
      continue;
    }
    std::size_t look = pos;
    while (look < n && isSpace(html[look])) ++look;
    if (look < n && html[look] == '=') {
      pos = look + 1;
      while (pos < n && isSpace(html[pos])) ++pos;
      if (pos < n && (html[pos] == '"' || html[pos] == '\'')) {
        const char quote = html[pos++];
        while (pos < n && html[pos] != quote) attribute.value += html[pos++];
        if (pos < n) ++pos;
      } else {
        while (pos < n && !isSpace(html[pos]) && html[pos] != '>') attribute.value += html[pos++];
      }
    }
    embed.attributes.push_back(attribute);
  }
  return embed;
}

}  // namespace

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::vector<Embed> parseEmbeds(const std::string& html) {
  std::vector<Embed> embeds;
  std::size_t pos = 0;
  while ((pos = html.find('<', pos)) != std::string::npos) {
    if (html.compare(pos, 4, "<!--") == 0) {
      std::size_t end = html.find("-->", pos + 4);
      if (end == std::string::npos) break;
      pos = end + 3;
      continue;
    }
    if (!embedTagAt(html, pos)) {
      ++pos;
      continue;
    }
    pos += 6;
    embeds.push_back(readAttributes(html, pos));
  }
  return embeds;
}

std::string embedAttribute(const Embed& embed, const std::string& name,
                           const std::string& fallback) {
  for (const EmbedAttribute& attribute : embed.attributes) {
    if (equalsIgnoringCase(attribute.name, name)) return attribute.value;
  }
  return fallback;
}

}  // namespace lmr
