#include "generate_source.h"

#include <array>
#include <string_view>

namespace {

// A small generator of its own, so that the text does not depend on the
// standard library's distributions.
struct Random {
  std::uint64_t state;
  std::uint32_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  }
  std::size_t below(std::size_t n) { return next() % n; }
  template <std::size_t N>
  std::string_view pick(const std::array<std::string_view, N>& items) { return items[below(N)]; }
};

constexpr std::array<std::string_view, 16> kTypes = {
    "int", "unsigned", "long", "char", "double", "bool", "size_t", "std::string",
    "const char*", "uint32_t", "float", "short", "Node*", "void*", "auto", "std::vector<int>"};
constexpr std::array<std::string_view, 24> kNames = {
    "count", "index", "buffer", "length", "result", "node", "next", "value", "offset", "table",
    "entry", "width", "height", "total", "cursor", "limit", "flags", "state", "item", "name",
    "source", "target", "first", "last"};
constexpr std::array<std::string_view, 8> kFunctions = {
    "parse_header", "read_block", "emit_line", "find_entry", "update_table", "hash_key", "copy_range",
    "check_bounds"};
constexpr std::array<std::string_view, 8> kComments = {
    "check the bounds before reading", "the table grows by doubling", "skip the separator",
    "TODO: handle the empty case", "keep the old value for the undo", "a <tag> & an entity",
    "see the format notes above", "never negative here"};
// Shift_JIS: 表示する値 (the value to show), 能力の予定 (planned capacity),
// ソース行 (source line): second bytes 0x5C among them.
constexpr std::array<std::string_view, 3> kShiftJisComments = {
    "\x95\x5c\x8e\xa6\x82\xb7\x82\xe9\x92\x6c", "\x94\x5c\x97\xcd\x82\xcc\x97\x5c\x92\xe8",
    "\x83\x5c\x81\x5b\x83\x58\x8d\x73"};
constexpr std::array<std::string_view, 6> kStrings = {
    "\"%s: %d\\n\"", "\"error: cannot open <file>\\n\"", "\"\\t\\\"quoted\\\"\"", "\"C:\\\\temp\\\\\"",
    "\"a & b\"", "\"\""};
constexpr std::array<std::string_view, 5> kChars = {"'\\n'", "'\\''", "'a'", "'\\\\'", "'\\0'"};
constexpr std::array<std::string_view, 6> kOperators = {" + ", " - ", " * ", " / ", " << ", " & "};

void add_statement(std::string& out, Random& random, int depth) {
  out.append(static_cast<std::size_t>(depth), '\t');
  switch (random.below(10)) {
    case 0:
    case 1:
      out += random.pick(kTypes);
      out += ' ';
      out += random.pick(kNames);
      out += " = ";
      out += random.pick(kNames);
      out += random.pick(kOperators);
      out += std::to_string(random.below(1000));
      out += ";\n";
      break;
    case 2:
      out += "if (";
      out += random.pick(kNames);
      out += " < ";
      out += random.pick(kNames);
      out += " && ";
      out += random.pick(kNames);
      out += " != nullptr) {\n";
      add_statement(out, random, depth + 1);
      out.append(static_cast<std::size_t>(depth), '\t');
      out += "}\n";
      break;
    case 3:
      out += "for (int i = 0; i < ";
      out += random.pick(kNames);
      out += "; ++i) ";
      out += random.pick(kNames);
      out += "[i] = ";
      out += random.pick(kChars);
      out += ";\n";
      break;
    case 4:
      out += "printf(";
      out += random.pick(kStrings);
      out += ", ";
      out += random.pick(kNames);
      out += ");\n";
      break;
    case 5:
      out += "// ";
      out += random.below(6) == 0 ? random.pick(kShiftJisComments) : random.pick(kComments);
      out += '\n';
      break;
    case 6:
      out += "return ";
      out += random.pick(kFunctions);
      out += '(';
      out += random.pick(kNames);
      out += ", sizeof(";
      out += random.pick(kTypes);
      out += "));\n";
      break;
    case 7:
      out += random.pick(kNames);
      out += " = static_cast<";
      out += random.pick(kTypes);
      out += ">(";
      out += random.pick(kNames);
      out += "->";
      out += random.pick(kNames);
      out += ");  /* ";
      out += random.pick(kComments);
      out += " */\n";
      break;
    case 8:
      out += "while (";
      out += random.pick(kNames);
      out += "-- > 0) ";
      out += random.pick(kNames);
      out += " ^= 0x";
      out += std::to_string(random.below(65536));
      out += "u;\n";
      break;
    default:
      out += "switch (";
      out += random.pick(kNames);
      out += ") { case 1: break; default: continue; }\n";
      break;
  }
}

void add_function(std::string& out, Random& random) {
  switch (random.below(4)) {
    case 0:
      out += "#include <";
      out += random.pick(kNames);
      out += ".h>\n";
      break;
    case 1:
      out += "#define MAX_";
      out += random.pick(kNames);
      out += "(a, b) \\\n\t((a) > (b) ? (a) : (b))  // ";
      out += random.pick(kComments);
      out += '\n';
      break;
    case 2:
      out += "/*\n * ";
      out += random.pick(kFunctions);
      out += ": ";
      out += random.pick(kComments);
      out += "\n * ";
      out += random.pick(kShiftJisComments);
      out += "\n */\n";
      break;
    default: break;
  }
  out += "static ";
  out += random.pick(kTypes);
  out += ' ';
  out += random.pick(kFunctions);
  out += "_";
  out += std::to_string(random.below(100));
  out += "(const ";
  out += random.pick(kTypes);
  out += " ";
  out += random.pick(kNames);
  out += ", int ";
  out += random.pick(kNames);
  out += ")\n{\n";
  for (std::size_t n = 3 + random.below(10); n > 0; --n) add_statement(out, random, 1);
  out += "}\n\n";
}

}  // namespace

std::string generate_source(std::size_t size, std::uint32_t variant) {
  Random random{0x9E3779B97F4A7C15ull ^ variant};
  std::string out;
  out.reserve(size + 4096);
  while (out.size() < size) add_function(out, random);
  out.resize(size);
  return out;
}
