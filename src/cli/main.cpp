// colorune: one C or C++ source file in, one highlighted HTML fragment out.

#include <cstdio>

#include "cli/command_line.h"
#include "cli/messages.h"
#include "highlighter/convert.h"

int main(int argc, char** argv) {
  // Static: the state holds the fixed input and output buffers.
  static ConverterState state;
  if (!parse_command_line(argc, argv, state)) return 1;
  // The conversion reads and writes through large buffers of its own: a second
  // buffer in the streams would only copy every byte again.
  std::setvbuf(state.input, nullptr, _IONBF, 0);
  std::setvbuf(state.output, nullptr, _IONBF, 0);

  convert(state);

  const bool read_failed = state.read_failed || std::ferror(state.input) != 0;
  std::fclose(state.input);
  const bool close_failed = std::fclose(state.output) != 0;  // flushes: may fail too
  const bool write_failed = state.write_failed || close_failed;

  if (read_failed) std::fputs(kInputReadFailed, stderr);
  if (write_failed) std::fputs(kOutputWriteFailed, stderr);
  return (read_failed || write_failed) ? 1 : 0;
}
