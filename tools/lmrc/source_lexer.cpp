#include "tools/lmrc/source_lexer.h"

#include <cctype>

namespace lmr::lmrc {
namespace {

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '+' || c == '.' || c == '-';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The token stream with statement ends as separate marks.
struct Lexed {
  enum Kind { TokenItem, End, Open, Close } kind;
  Token token;
  int line;
};

class Lexer {
 public:
  explicit Lexer(const std::string& text) : s_(text) {}

  std::vector<Lexed> run() {
    std::vector<Lexed> out;
    while (i_ < s_.size()) {
      char c = s_[i_];
      if (c == '\n') {
        out.push_back({Lexed::End, {}, line_});
        ++line_;
        ++i_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++i_;
      } else if (c == ';') {
        out.push_back({Lexed::End, {}, line_});
        ++i_;
      } else if (c == '{') {
        out.push_back({Lexed::Open, {}, line_});
        ++i_;
      } else if (c == '}') {
        out.push_back({Lexed::Close, {}, line_});
        ++i_;
      } else if (c == '#') {
        if (i_ + 1 < s_.size() && hexValue(s_[i_ + 1]) >= 0) {
          out.push_back({Lexed::TokenItem, color(), line_});
        } else {
          while (i_ < s_.size() && s_[i_] != '\n') ++i_;
        }
      } else if (c == '"') {
        out.push_back({Lexed::TokenItem, string(), line_});
      } else if (c == '<') {
        int at = line_;
        out.push_back({Lexed::TokenItem, data(), at});
      } else if (isWordChar(c)) {
        Token t;
        t.line = line_;
        size_t start = i_;
        while (i_ < s_.size() && isWordChar(s_[i_])) ++i_;
        t.text = s_.substr(start, i_ - start);
        bool numeric = std::isdigit(static_cast<unsigned char>(c)) ||
                       ((c == '-' || c == '.') && t.text.size() > 1 &&
                        (std::isdigit(static_cast<unsigned char>(t.text[1])) || t.text[1] == '.'));
        t.kind = numeric ? Token::Number : Token::Word;
        out.push_back({Lexed::TokenItem, t, line_});
      } else {
        throw SourceError(line_, std::string("unexpected character '") + c + "'");
      }
    }
    out.push_back({Lexed::End, {}, line_});
    return out;
  }

 private:
  Token color() {
    Token t;
    t.kind = Token::Color;
    t.line = line_;
    size_t start = ++i_;
    uint32_t v = 0;
    while (i_ < s_.size() && hexValue(s_[i_]) >= 0) v = v << 4 | static_cast<uint32_t>(hexValue(s_[i_++]));
    if (i_ - start != 6 || (i_ < s_.size() && isWordChar(s_[i_]))) {
      throw SourceError(line_, "a colour is # and 6 hex digits (#rrggbb)");
    }
    t.color = v;
    t.text = s_.substr(start - 1, 7);
    return t;
  }

  Token string() {
    Token t;
    t.kind = Token::String;
    t.line = line_;
    ++i_;
    for (;;) {
      if (i_ >= s_.size() || s_[i_] == '\n') throw SourceError(t.line, "string not closed before the end of the line");
      char c = s_[i_++];
      if (c == '"') break;
      if (c != '\\') {
        t.text += c;
        continue;
      }
      if (i_ >= s_.size()) throw SourceError(line_, "string not closed");
      char e = s_[i_++];
      switch (e) {
        case 'n': t.text += '\n'; break;
        case 't': t.text += '\t'; break;
        case 'r': t.text += '\r'; break;
        case '"': t.text += '"'; break;
        case '\\': t.text += '\\'; break;
        case 'x': {
          int hi = i_ < s_.size() ? hexValue(s_[i_]) : -1;
          int lo = i_ + 1 < s_.size() ? hexValue(s_[i_ + 1]) : -1;
          if (hi < 0 || lo < 0) throw SourceError(line_, "\\x needs two hex digits");
          t.text += static_cast<char>(hi << 4 | lo);
          i_ += 2;
          break;
        }
        case 'u': {
          if (i_ >= s_.size() || s_[i_] != '{') throw SourceError(line_, "\\u needs {hex digits}");
          ++i_;
          uint32_t cp = 0;
          int digits = 0;
          while (i_ < s_.size() && hexValue(s_[i_]) >= 0 && digits < 6) {
            cp = cp << 4 | static_cast<uint32_t>(hexValue(s_[i_++]));
            ++digits;
          }
          if (digits == 0 || i_ >= s_.size() || s_[i_] != '}' || cp > 0x10FFFF) {
            throw SourceError(line_, "\\u{...} needs 1 to 6 hex digits of a character code");
          }
          ++i_;
          appendUtf8(t.text, cp);
          break;
        }
        default:
          throw SourceError(line_, std::string("unknown escape \\") + e + " in a string");
      }
    }
    return t;
  }

  Token data() {
    Token t;
    t.kind = Token::Data;
    t.line = line_;
    ++i_;
    int pending = -1;
    for (;;) {
      if (i_ >= s_.size()) throw SourceError(t.line, "bytes <...> not closed by '>'");
      char c = s_[i_++];
      if (c == '>') break;
      if (c == '\n') {
        ++line_;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      int v = hexValue(c);
      if (v < 0) throw SourceError(line_, std::string("'") + c + "' is not a hex digit in bytes <...>");
      if (pending < 0) {
        pending = v;
      } else {
        t.data.push_back(static_cast<uint8_t>(pending << 4 | v));
        pending = -1;
      }
    }
    if (pending >= 0) throw SourceError(t.line, "bytes <...> hold an odd number of hex digits");
    t.text = "<...>";
    return t;
  }

  const std::string& s_;
  size_t i_ = 0;
  int line_ = 1;
};

class Grouper {
 public:
  explicit Grouper(std::vector<Lexed> items) : items_(std::move(items)) {}

  std::vector<Statement> block(bool nested, int openLine) {
    std::vector<Statement> out;
    Statement current;
    for (;;) {
      if (at_ >= items_.size()) {
        if (nested) throw SourceError(openLine, "block opened with '{' is not closed");
        if (!current.tokens.empty()) out.push_back(std::move(current));
        return out;
      }
      Lexed& x = items_[at_++];
      switch (x.kind) {
        case Lexed::TokenItem:
          if (current.tokens.empty()) current.line = x.line;
          current.tokens.push_back(std::move(x.token));
          break;
        case Lexed::End:
          if (!current.tokens.empty()) out.push_back(std::move(current));
          current = Statement();
          break;
        case Lexed::Open:
          if (current.tokens.empty()) throw SourceError(x.line, "'{' must follow a statement");
          current.hasBlock = true;
          current.block = block(true, x.line);
          out.push_back(std::move(current));
          current = Statement();
          break;
        case Lexed::Close:
          if (!nested) throw SourceError(x.line, "'}' without a block to close");
          if (!current.tokens.empty()) out.push_back(std::move(current));
          return out;
      }
    }
  }

 private:
  std::vector<Lexed> items_;
  size_t at_ = 0;
};

}  // namespace

std::vector<Statement> parseStatements(const std::string& text) {
  Grouper g(Lexer(text).run());
  return g.block(false, 0);
}

std::string describe(const Token& token) {
  if (token.kind == Token::String) return "\"" + token.text + "\"";
  return token.text;
}

}  // namespace lmr::lmrc
