// Finds a page's <embed ...> tags, in page order, with their attributes as
// written: NAME=VALUE with the value in double quotes, single quotes or
// bare, or a NAME alone (empty value).
#pragma once

#include <string>
#include <vector>

namespace lmr {

struct EmbedAttribute {
  std::string name;
  std::string value;
};

struct Embed {
  std::vector<EmbedAttribute> attributes;
};

std::vector<Embed> parseEmbeds(const std::string& html);

// The value of the first attribute of that name (case-insensitive), or
// fallback when the embed has none.
std::string embedAttribute(const Embed& embed, const std::string& name,
                           const std::string& fallback = std::string());

bool equalsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace lmr
