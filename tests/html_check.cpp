#include "html_check.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "element_kinds.h"
#include "highlighter/keywords.h"

namespace {

enum class Role { kPlain, kLead, kSecond };

struct SourceByte {
  unsigned char byte;
  Role role;
};

struct TextByte {
  unsigned char byte;
  bool escaped;  // came from an entity or a <br>
};

struct OpenElement {
  std::string kind;
  std::size_t start;  // index into the recovered text
};

struct LineNumber {
  std::size_t position;  // index into the recovered text
  std::uint64_t number;
};

// How many bytes the character at the start of [rest] has, by the UTF-8 rules:
// a sequence counts only when it is whole and well formed, that is, when it
// decodes to a code point that needs exactly that many bytes and is neither a
// surrogate nor past U+10FFFF.
std::size_t utf8_length(std::string_view rest) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length == 1 || lead >= 0xF8 || rest.size() < length) return 1;
  std::uint32_t code_point = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(rest[i]);
    if ((byte & 0xC0) != 0x80) return 1;
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code_point < smallest[length] || code_point > 0x10FFFF) return 1;
  if (code_point >= 0xD800 && code_point <= 0xDFFF) return 1;
  return length;
}

// The input as the reader groups it: by default every byte from 0x80 to 0xFF
// takes the byte after it as its second byte; reading UTF-8, a well-formed
// sequence is one character. Tabs are expanded at the tab stops, counting each
// such character as one column.
std::vector<SourceByte> expected_text(std::string_view input, const Options& options) {
  std::vector<SourceByte> text;
  std::int64_t column = 0;
  for (std::size_t i = 0; i < input.size();) {
    const auto byte = static_cast<unsigned char>(input[i]);
    if (byte >= 0x80) {
      const std::size_t length = options.utf8 ? utf8_length(input.substr(i)) : std::min<std::size_t>(2, input.size() - i);
      text.push_back({byte, Role::kLead});
      for (std::size_t k = 1; k < length; ++k) text.push_back({static_cast<unsigned char>(input[i + k]), Role::kSecond});
      i += length;
      column += 1;
      continue;
    }
    ++i;
    if (byte == '\t') {
      for (std::int64_t n = options.tab_width - column % options.tab_width; n > 0; --n) {
        text.push_back({' ', Role::kPlain});
        column += 1;
      }
    } else {
      text.push_back({byte, Role::kPlain});
      column = byte == '\n' ? 0 : column + 1;
    }
  }
  return text;
}

bool must_escape(const SourceByte& b, const Options& options) {
  if (b.role == Role::kLead) return false;
  if (b.byte == '&' || b.byte == '<' || b.byte == '>') return true;
  return b.role == Role::kPlain && options.no_pre && (b.byte == ' ' || b.byte == '\n');
}

struct Parser {
  std::string_view html;
  const Options& options;
  std::size_t pos = 0;
  std::vector<TextByte> text = {};
  std::vector<OpenElement> open = {};
  std::vector<LineNumber> line_numbers = {};

  bool take(std::string_view token) {
    if (html.substr(pos, token.size()) != token) return false;
    pos += token.size();
    return true;
  }

  std::string where() const { return " at byte " + std::to_string(pos) + " of the output read as kinds"; }

  std::string recovered(std::size_t start) const {
    std::string s;
    for (std::size_t i = start; i < text.size(); ++i) s += static_cast<char>(text[i].byte);
    return s;
  }

  // The inside of a line-number element, after its opening tag.
  std::string parse_line_number() {
    const std::string_view pad = options.no_pre ? "&nbsp;" : " ";
    int pads = 0;
    while (take(pad)) ++pads;
    std::uint64_t number = 0;
    int digits = 0;
    while (pos < html.size() && html[pos] >= '0' && html[pos] <= '9') {
      number = number * 10 + static_cast<std::uint64_t>(html[pos++] - '0');
      ++digits;
    }
    if (digits == 0 || html[pos - static_cast<std::size_t>(digits)] == '0') return "bad line number" + where();
    if (pads != (digits < 3 ? 3 - digits : 0)) return "line number not aligned in three places" + where();
    if (!take(": </lineno>")) return "line number element not closed" + where();
    line_numbers.push_back({text.size(), number});
    return "";
  }

  std::string close(const std::string& kind) {
    if (open.empty() || open.back().kind != kind) return "unbalanced </" + kind + ">" + where();
    const std::string content = recovered(open.back().start);
    open.pop_back();
    if (kind == "keyword" && !is_keyword(content, options.modern)) {
      return "keyword element holds \"" + content + "\"" + where();
    }
    if (kind == "comment" && content.rfind("/*", 0) != 0 && content.rfind("//", 0) != 0) {
      return "comment without opener" + where();
    }
    if (kind == "string" && (content.empty() || (content[0] != '"' && content[0] != '\''))) {
      return "literal without quote" + where();
    }
    if (kind == "preprocessor" && (content.empty() || content[0] != '#')) return "directive without #" + where();
    return "";
  }

  // Every element stands directly in the frame, but for a comment in a
  // directive, and a line number, which follows a line feed anywhere but in a
  // keyword.
  std::string parse_tag() {
    const bool in_frame = open.empty();
    if (options.no_pre && take("<br>\n")) {
      text.push_back({'\n', true});
      return "";
    }
    if (take("<lineno>")) {
      if (!in_frame && open.back().kind == "keyword") return "line number inside a keyword" + where();
      return parse_line_number();
    }
    for (const std::string& kind : element_kinds()) {
      if (take("<" + kind + ">")) {
        if (!in_frame && !(kind == "comment" && open.back().kind == "preprocessor")) {
          return "element nested where it may not be" + where();
        }
        open.push_back({kind, text.size()});
        return "";
      }
      if (take("</" + kind + ">")) return close(kind);
    }
    return "stray <" + where();
  }

  std::string parse_entity() {
    if (take("&amp;")) text.push_back({'&', true});
    else if (take("&lt;")) text.push_back({'<', true});
    else if (take("&gt;")) text.push_back({'>', true});
    else if (options.no_pre && take("&nbsp;")) text.push_back({' ', true});
    else return "stray &" + where();
    return "";
  }

  std::string parse(std::string_view frame_open, std::string_view frame_close) {
    if (!take(frame_open)) return "frame does not open";
    if (html.size() < pos + frame_close.size() || html.substr(html.size() - frame_close.size()) != frame_close) {
      return "frame does not close at the end";
    }
    const std::size_t body_end = html.size() - frame_close.size();
    while (pos < body_end) {
      std::string error;
      if (html[pos] == '<') {
        error = parse_tag();
      } else if (html[pos] == '&') {
        error = parse_entity();
      } else {
        text.push_back({static_cast<unsigned char>(html[pos++]), false});
      }
      if (!error.empty()) return error;
    }
    if (pos != body_end) return "a tag runs into the frame's closing";
    if (!open.empty()) return "element left open at the end";
    return "";
  }
};

}  // namespace

std::string check_conversion(std::string_view input, const Options& options, std::string_view html) {
  const std::string kinds = kinds_of(html);
  Parser parser{.html = kinds, .options = options};
  const std::string error = options.no_pre ? parser.parse("<code>", "</code>")
                                           : parser.parse("<pre><code>", "</code></pre>");
  if (!error.empty()) return error;

  const std::vector<SourceByte> expected = expected_text(input, options);
  const std::vector<TextByte>& text = parser.text;
  for (std::size_t i = 0; i < expected.size() && i < text.size(); ++i) {
    if (expected[i].byte != text[i].byte) return "text differs from the input at text byte " + std::to_string(i);
    if (must_escape(expected[i], options) != text[i].escaped) {
      return std::string(text[i].escaped ? "needless" : "missing") + " escape at text byte " + std::to_string(i);
    }
  }
  if (expected.size() != text.size()) {
    return "text has " + std::to_string(text.size()) + " bytes, the input " + std::to_string(expected.size());
  }

  std::vector<std::size_t> line_starts;
  if (options.line_numbers) {
    line_starts.push_back(0);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (expected[i].byte == '\n' && expected[i].role == Role::kPlain) line_starts.push_back(i + 1);
    }
  }
  if (line_starts.size() != parser.line_numbers.size()) return "wrong count of line numbers";
  for (std::size_t k = 0; k < line_starts.size(); ++k) {
    if (parser.line_numbers[k].position != line_starts[k] || parser.line_numbers[k].number != k + 1) {
      return "line number " + std::to_string(k + 1) + " misplaced or misnumbered";
    }
  }
  return "";
}
