#include "cli/command_line.h"

#include <cstdio>
#include <string>

#include "cli/messages.h"
#include "cli/output_file.h"

namespace {

void write_message(const char* message) { std::fputs(message, stderr); }

constexpr bool is_scan_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr char to_lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// -t<n>: [text] is the argument from its third character on.
bool parse_tab_width(const char* text, unsigned& tab_width) {
  const std::optional<std::uint32_t> width = parse_unsigned(text);
  if (!width) {
    write_message(kTabOptionMisused);
    return false;
  }
  if (*width < 1 || *width > 99) {
    write_message(kTabWidthOutOfRange);
    return false;
  }
  tab_width = *width;
  return true;
}

}  // namespace

std::optional<std::uint32_t> parse_unsigned(const char* text) {
  while (is_scan_space(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = (*text++ == '-');
  if (*text < '0' || *text > '9') return std::nullopt;
  std::uint32_t value = 0;  // unsigned arithmetic wraps modulo 2^32, as wanted
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<std::uint32_t>(*text - '0');
  return negative ? 0u - value : value;
}

bool parse_command_line(int argc, char** argv, CommandLine& command, OutputFile& output) {
  std::optional<std::string> output_name;
  bool expecting_output_name = false;

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument[0] != '-') {
      if (expecting_output_name) {
        output_name = argument;  // a later -o replaces it
        expecting_output_name = false;
        continue;
      }
      if (command.input != nullptr) std::fclose(command.input);
      command.input = open_input_file(argument);
      if (command.input == nullptr) {
        write_message(kInputOpenFailed);
        return false;
      }
      continue;
    }
    if (expecting_output_name) {
      write_message(kOutputOptionMisused);
      return false;
    }
    // The option is its second character alone: "-lines" is -l, "-help" is -h.
    switch (to_lower_ascii(argument[1])) {
      case 'h':
        write_message(kVersionLine);
        write_message(kUsage);
        return false;
      case 'l': command.options |= COLORUNE_LINE_NUMBERS; break;
      case 'o': expecting_output_name = true; break;
      case 'p': command.options |= COLORUNE_NO_PRE; break;
      case 'u': command.options |= COLORUNE_UTF8; break;
      case 'm': command.options |= COLORUNE_MODERN; break;
      case 's': command.options |= COLORUNE_STYLE; break;
      case 't':
        if (!parse_tab_width(argument + 2, command.tab_width)) return false;
        break;
      default: write_message(kUnknownOptionIgnored); break;  // a lone "-" too
    }
  }

  if (command.input == nullptr) {
    write_message(kNoInputFile);
    write_message("\n");
    write_message(kUsage);
    return false;
  }
  // An -o still waiting for its name at the very end changes nothing. The
  // output must not be the input: writing it would destroy the source, or feed
  // the output back into the input while it is read.
  const OpenResult opened = output_name ? open_output_file(output_name->c_str(), command.input, output)
                                        : open_standard_output(command.input, output);
  if (opened == OpenResult::kIsInput) {
    write_message(kOutputIsInput);
    return false;
  }
  if (opened == OpenResult::kFailed) {
    write_message(kOutputOpenFailed);
    return false;
  }
  return true;
}
