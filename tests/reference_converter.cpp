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

// The classic reading's keywords: C++ of 1998.
constexpr std::string_view kKeywords[] = {
    "auto", "asm", "bool", "break", "case", "catch", "char", "class", "const", "const_cast", "continue",
    "default", "delete", "do", "double", "dynamic_cast", "else", "enum", "explicit", "extern", "false",
    "float", "for", "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace", "new",
    "operator", "private", "protected", "public", "register", "reinterpret_cast", "return", "short",
    "signed", "sizeof", "static", "static_cast", "struct", "switch", "template", "this", "throw", "true",
    "try", "typedef", "typeid", "typename", "union", "unsigned", "using", "virtual", "void", "volatile",
    "wchar_t", "while"};
// The modern reading adds these.
constexpr std::string_view kModernKeywords[] = {
    "alignas", "alignof", "char8_t", "char16_t", "char32_t", "concept", "consteval", "constexpr",
    "constinit", "co_await", "co_return", "co_yield", "decltype", "export", "noexcept", "nullptr",
    "requires", "static_assert", "thread_local", "contract_assert", "restrict", "typeof", "typeof_unqual",
    "_Alignas", "_Alignof", "_Atomic", "_BitInt", "_Bool", "_Complex", "_Decimal128", "_Decimal32",
    "_Decimal64", "_Generic", "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local", "and", "and_eq",
    "bitand", "bitor", "compl", "not", "not_eq", "or", "or_eq", "xor", "xor_eq", "final", "override"};

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
    out += "<lineno>";
    const std::string number = std::to_string(line);
    for (std::size_t n = number.size(); n < 3; ++n) out += options.no_pre ? "&nbsp;" : " ";
    out += number + ": </lineno>";
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
    std::string w;
    while (w.size() < 255 && look.word()) {
      w += look.bytes;
      look = read();
    }
    bool keyword = false;
    for (std::string_view k : reference_keywords(options.modern)) keyword = keyword || w == k;
    if (keyword) {
      out += "<keyword>";
      emit_text(w);
      out += "</keyword>";
      return;
    }
    emit_text(w);
    if (options.modern && look.is('"') && (w == "R" || w == "LR" || w == "uR" || w == "UR" || w == "u8R")) {
      raw_literal();
    }
  }

  // The modern reading: a digit starts a number, which goes on over letters,
  // digits, "_", ".", an apostrophe unless one came just before, and a sign
  // right after an exponent letter.
  void number() {
    Char prev;
    for (;;) {
      emit(look);
      prev = look;
      look = read();
      const bool sign = look.is('+') || look.is('-');
      const bool after_exponent = prev.is('e') || prev.is('E') || prev.is('p') || prev.is('P');
      if (!(look.word() || look.is('.') || (look.is('\'') && !prev.is('\'')) || (sign && after_exponent))) return;
    }
  }

  // The modern reading: R"delimiter( ... )delimiter", entered with look on the
  // double quote. Anything but a delimiter character or "(" before the "("
  // makes it an ordinary literal from that character on.
  void raw_literal() {
    out += "<string>";
    emit(look);
    std::string delimiter;
    for (;;) {
      look = read();
      if (look.end()) {
        out += "</string>";
        return;
      }
      if (look.is('(')) break;
      const auto c = static_cast<unsigned char>(look.bytes[0]);
      const bool delimiter_char = look.bytes.size() == 1 && c >= 0x21 && c <= 0x7E && c != '(' && c != ')' && c != '\\';
      if (!delimiter_char || delimiter.size() == 16) {
        literal_rest(Char{"\""});
        return;
      }
      emit(look);
      delimiter += look.bytes;
    }
    emit(look);  // the "("
    const std::string closer = ")" + delimiter + "\"";
    std::string recent;  // the characters of the body so far; a character of several bytes as a NUL
    for (;;) {
      look = read();
      if (look.end()) break;
      emit(look);
      recent += look.bytes.size() == 1 ? look.bytes : std::string(1, '\0');
      if (recent.size() > 2 * closer.size()) recent.erase(0, recent.size() - closer.size());
      if (recent.size() >= closer.size() && recent.compare(recent.size() - closer.size(), closer.size(), closer) == 0) break;
    }
    out += "</string>";
    look = read();
  }

  void comment(bool block) {
    out += "<comment>";
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
    out += "</comment>";
    look = read();
  }

  void quoted() {
    const Char quote = look;
    out += "<string>";
    emit(quote);
    look = read();
    literal_rest(quote);
  }

  // The rest of a literal, from look on (read but not yet written) to its
  // closing quote. In the modern reading a line feed that no backslash escapes
  // ends it too, outside the element: look stays on the line feed.
  void literal_rest(const Char& quote) {
    bool escaped = false;
    for (;;) {
      if (look.end()) break;
      if (options.modern && look.is('\n') && !escaped) {
        out += "</string>";
        return;
      }
      emit(look);
      if (look.bytes == quote.bytes && !escaped) break;
      escaped = look.is('\\') && !escaped;
      look = read();
    }
    out += "</string>";
    look = read();
  }

  void directive() {
    out += "<preprocessor>";
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
          out += "</preprocessor>";
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
    out += "</preprocessor>";
    look = read();
  }

  void run() {
    if (!options.no_pre) out += "<pre>";
    out += "<code>";
    prefix();
    look = read();
    while (!look.end()) {
      const bool digit = look.word() && look.bytes[0] >= '0' && look.bytes[0] <= '9';
      if (look.word() && !digit) {
        word();
      } else if (digit && options.modern) {
        number();
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

std::vector<std::string_view> reference_keywords(bool modern) {
  std::vector<std::string_view> words(std::begin(kKeywords), std::end(kKeywords));
  if (modern) words.insert(words.end(), std::begin(kModernKeywords), std::end(kModernKeywords));
  return words;
}
