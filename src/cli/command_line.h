#ifndef COLORUNE_CLI_COMMAND_LINE_H_
#define COLORUNE_CLI_COMMAND_LINE_H_

#include <cstdint>
#include <cstdio>
#include <optional>

#include "cli/output_file.h"
#include "colorune.h"

/// What the command line asks for: the input, and the conversion's options.
struct CommandLine {
  std::FILE* input = nullptr;
  unsigned options = 0;  // COLORUNE_LINE_NUMBERS ...
  unsigned tab_width = COLORUNE_DEFAULT_TAB_WIDTH;
};

/// Reads the arguments after the program name, in order: opens the input as its
/// name is met, records the name given to -o, and fills [command]. Only when
/// the whole command line is sound is the output opened (standard output when no
/// name was given) into [output], and never when it is the input itself. Writes
/// every message to standard error as its cause is met. True when the
/// conversion may run; false after an error or -h.
bool parse_command_line(int argc, char** argv, CommandLine& command, OutputFile& output);

/// Reads text the way the "%u" scan conversion reads an unsigned number: white
/// space skipped, an optional sign, then digits taken modulo 2^32 ("-" negates the
/// result modulo 2^32); whatever follows the digits is ignored. Empty when there
/// is no digit to read.
std::optional<std::uint32_t> parse_unsigned(const char* text);

#endif  // COLORUNE_CLI_COMMAND_LINE_H_
