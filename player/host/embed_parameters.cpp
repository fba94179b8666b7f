#include "player/host/embed_parameters.h"

#include "player/engine/display_list.h"
#include "player/engine/records.h"
#include "player/host/player.h"

namespace lmr {
namespace {

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `word` is given in lower case.
bool sameWord(const char* text, const char* word) {
  while (*text != '\0' && lowerCase(*text) == *word) {
    ++text;
    ++word;
  }
  return *text == '\0' && *word == '\0';
}

bool isTrue(const char* value) { return sameWord(value, "true") || sameWord(value, "yes"); }

// Any character that is not a hexadecimal digit counts as 0.
uint32_t hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
  return 0;
}

uint32_t hexPair(const char* text) { return hexDigit(text[0]) << 4 | hexDigit(text[1]); }

void applyBackground(Player& player, const char* value) {
  if (*value == '#') ++value;
  for (int i = 0; i < 6; ++i) {
    if (value[i] == '\0') return;  // too short: ignored
  }
  player.stage.list.setBackground(packColor(hexPair(value), hexPair(value + 2), hexPair(value + 4)),
                                  BackgroundFromPage);
}

void applyQuality(Player& player, const char* value) {
  struct Setting {
    const char* word;
    bool high;
    bool automatic;
    bool best;
  };
  static const Setting settings[] = {
      {"autohigh", true, true, false}, {"autolow", false, true, false},
      {"high", true, false, false},    {"low", false, false, false},
      {"best", true, false, true},
  };
  for (const Setting& s : settings) {
    if (!sameWord(value, s.word)) continue;
    player.highQuality = s.high;
    player.autoQuality = s.automatic;
    // Only "best" touches the best flag; the other words leave it as it is.
    if (s.best) player.bestQuality = true;
    return;
  }
}

// The whole word is assigned: alignment given before is cleared.
void applyScale(Player& player, const char* value) {
  if (sameWord(value, "showall")) player.viewFlags = ScaleShowAll;
  if (sameWord(value, "noborder")) player.viewFlags = ScaleNoBorder;
  if (sameWord(value, "exactfit")) player.viewFlags = ScaleExactFit;
}

void applyAlignment(Player& player, const char* value) {
  for (; *value != '\0'; ++value) {
    switch (lowerCase(*value)) {
      case 'l': player.viewFlags |= AlignLeft; break;
      case 'r': player.viewFlags |= AlignRight; break;
      case 't': player.viewFlags |= AlignTop; break;
      case 'b': player.viewFlags |= AlignBottom; break;
      default: break;
    }
  }
}

// Leading decimal digits; a number too large for the field stops growing
// rather than wrapping into a negative limit.
void applySpeedLimit(Player& player, const char* value) {
  int32_t limit = 0;
  for (; *value >= '0' && *value <= '9'; ++value) {
    const int32_t digit = *value - '0';
    limit = limit > (INT32_MAX - digit) / 10 ? INT32_MAX : limit * 10 + digit;
  }
  player.speedLimit = limit;
}

void applyName(Player& player, const char* value) {
  freeString(player.name);
  player.name = copyString(value);
}

}  // namespace

void applyParameter(Player& player, const char* name, const char* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = "";
  if (sameWord(name, "loop")) player.loop = isTrue(value);
  else if (sameWord(name, "play")) player.playRequested = isTrue(value);
  else if (sameWord(name, "devicefont")) player.stage.list.deviceFonts = isTrue(value);
  else if (sameWord(name, "menu")) player.menuEnabled = isTrue(value);
  else if (sameWord(name, "bgcolor")) applyBackground(player, value);
  else if (sameWord(name, "quality")) applyQuality(player, value);
  else if (sameWord(name, "scale")) applyScale(player, value);
  else if (sameWord(name, "salign")) applyAlignment(player, value);
  else if (sameWord(name, "speedlimit")) applySpeedLimit(player, value);
  else if (sameWord(name, "name")) applyName(player, value);
}

void applyEmbedParameters(Player& player, uint32_t mode, int32_t count, const char* const* names,
                          const char* const* values) {
  if (mode != ModeEmbed || names == nullptr || values == nullptr) return;
  for (int32_t i = 0; i < count; ++i) applyParameter(player, names[i], values[i]);
}

}  // namespace lmr
