#include "reference_converter.h"

#include <cstdint>
#include <string>

namespace {

// A character: its bytes as they stand in the input, or none at end of input.
struct Char {
  std::string bytes;
  bool end() const { return bytes.empty(); }
  bool is(char c) const { return bytes.size() == 1 && bytes[0] == c; }
  bool word() const {
    if (bytes.size() != 1) return false;
    const char c = bytes[0];
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  }
};

struct Converter {
  std::string_view in;
  Options options;
  std::size_t pos = 0;
  std::string out = {};
  std::int64_t column = 0;
  std::uint64_t line = 1;
  Char look = {};

  bool in_range(std::size_t at, int low, int high) const {
    return at < in.size() && static_cast<unsigned char>(in[at]) >= low && static_cast<unsigned char>(in[at]) <= high;
  }

  // How many bytes a well-formed UTF-8 sequence at pos has; 1 when it is not one.
  std::size_t utf8_length() const {
    const auto lead = static_cast<unsigned char>(in[pos]);
    if (lead >= 0xC2 && lead <= 0xDF) return in_range(pos + 1, 0x80, 0xBF) ? 2 : 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
      const int low = lead == 0xE0 ? 0xA0 : 0x80;
      const int high = lead == 0xED ? 0x9F : 0xBF;
      return in_range(pos + 1, low, high) && in_range(pos + 2, 0x80, 0xBF) ? 3 : 1;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
      const int low = lead == 0xF0 ? 0x90 : 0x80;
      const int high = lead == 0xF4 ? 0x8F : 0xBF;
      return in_range(pos + 1, low, high) && in_range(pos + 2, 0x80, 0xBF) && in_range(pos + 3, 0x80, 0xBF) ? 4 : 1;
    }
    return 1;
  }

  Char read() {
    if (pos >= in.size()) return {};
    std::size_t length = 1;
    if (static_cast<unsigned char>(in[pos]) >= 0x80) {
      length = options.utf8 ? utf8_length() : std::min<std::size_t>(2, in.size() - pos);
    }
    Char c{std::string(in.substr(pos, length))};
    pos += length;
    return c;
  }

  void prefix() {
    if (!options.line_numbers) return;
    out += "<span class=\"lineno\">";
    const std::string number = std::to_string(line);
    for (std::size_t n = number.size(); n < 3; ++n) out += options.no_pre ? "&nbsp;" : " ";
    out += number + ": </span>";
  }

  void emit(const Char& c) {
    const std::string& b = c.bytes;
    if (b.size() > 1 || static_cast<unsigned char>(b[0]) >= 0x80) {
      out += b[0];
      for (std::size_t i = 1; i < b.size(); ++i) {
        if (b[i] == '<') out += "&lt;";
        else if (b[i] == '>') out += "&gt;";
        else if (b[i] == '&') out += "&amp;";
        else out += b[i];
      }
      ++column;
      return;
    }
    switch (b[0]) {
      case '\t':
        for (auto n = options.tab_width - column % options.tab_width; n > 0; --n) emit({" "});
        return;
      case '\n':
        out += options.no_pre ? "<br>\n" : "\n";
        ++line;
        column = 0;
        prefix();
        return;
      case ' ': out += options.no_pre ? "&nbsp;" : " "; break;
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += b[0]; break;
    }
    ++column;
  }

  void emit_text(const std::string& s) {
    for (char c : s) emit({std::string(1, c)});
  }

  void word() {
    static const char* const keywords[] = {
        "auto", "asm", "bool", "break", "case", "catch", "char", "class", "const", "const_cast", "continue",
        "default", "delete", "do", "double", "dynamic_cast", "else", "enum", "explicit", "extern", "false",
        "float", "for", "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace", "new",
        "operator", "private", "protected", "public", "register", "reinterpret_cast", "return", "short",
        "signed", "sizeof", "static", "static_cast", "struct", "switch", "template", "this", "throw", "true",
        "try", "typedef", "typeid", "typename", "union", "unsigned", "using", "virtual", "void", "volatile",
        "wchar_t", "while"};
    std::string w;
    while (w.size() < 255 && look.word()) {
      w += look.bytes;
      look = read();
    }
    for (const char* k : keywords) {
      if (w == k) {
        out += "<strong class=\"keyword\">";
        emit_text(w);
        out += "</strong>";
        return;
      }
    }
    emit_text(w);
  }

  void comment(bool block) {
    out += "<em class=\"comment\">";
    emit_text(block ? "/*" : "//");
    Char prev{"\x01"};
    for (;;) {
      look = read();
      if (look.end()) break;
      emit(look);
      if (block && prev.is('*') && look.is('/')) break;
      if (!block && look.is('\n') && !prev.is('\\')) break;
      prev = look;
    }
    out += "</em>";
    look = read();
  }

  void quoted() {
    const Char quote = look;
    bool escaped = false;
    out += "<em class=\"string\">";
    emit(quote);
    for (;;) {
      look = read();
      if (look.end()) break;
      emit(look);
      if (look.bytes == quote.bytes && !escaped) break;
      escaped = look.is('\\') && !escaped;
    }
    out += "</em>";
    look = read();
  }

  void directive() {
    out += "<span class=\"preprocessor\">";
    emit({"#"});
    Char prev{"\x01"};
    for (;;) {
      look = read();
      while (look.is('/')) {
        look = read();
        if (look.is('*')) {
          comment(true);
        } else if (look.is('/')) {
          comment(false);
          out += "</span>";
          return;
        } else {
          emit({"/"});
        }
      }
      if (look.end()) break;
      emit(look);
      if (look.is('\n') && !prev.is('\\')) break;
      prev = look;
    }
    out += "</span>";
    look = read();
  }

  void run() {
    if (!options.no_pre) out += "<pre>";
    out += "<code>";
    prefix();
    look = read();
    while (!look.end()) {
      if (look.word() && !(look.bytes[0] >= '0' && look.bytes[0] <= '9')) {
        word();
      } else if (look.is('"') || look.is('\'')) {
        quoted();
      } else if (look.is('/')) {
        look = read();
        if (look.is('*')) comment(true);
        else if (look.is('/')) comment(false);
        else emit({"/"});
      } else if (look.is('#')) {
        directive();
      } else {
        emit(look);
        look = read();
      }
    }
    out += "</code>";
    if (!options.no_pre) out += "</pre>";
  }
};

}  // namespace

std::string reference_convert(std::string_view input, const Options& options) {
  Converter converter{input, options};
  converter.run();
  return converter.out;
}
