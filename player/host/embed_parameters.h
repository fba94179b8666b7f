// The embed tag's attributes, applied to a new player one pair at a time in
// the page's order. Malformed values never fail: they are ignored or leave
// the defaults.
#pragma once

#include <cstdint>

namespace lmr {

struct Player;

// viewFlags: scale mode in the low four bits, alignment flags above.
constexpr uint32_t ScaleShowAll = 0;
constexpr uint32_t ScaleNoBorder = 1;
constexpr uint32_t ScaleExactFit = 2;
constexpr uint32_t AlignLeft = 0x10;
constexpr uint32_t AlignRight = 0x20;
constexpr uint32_t AlignTop = 0x40;
constexpr uint32_t AlignBottom = 0x80;

// Applies one parameter; names match ignoring case, unknown ones are
// ignored, and a missing name or value counts as empty.
void applyParameter(Player& player, const char* name, const char* value);

// Applies the page's `count` pairs in their order, and only to an embedded
// movie: a full-page movie has no embed tag, so it keeps the defaults.
void applyEmbedParameters(Player& player, uint32_t mode, int32_t count, const char* const* names,
                          const char* const* values);

}  // namespace lmr
