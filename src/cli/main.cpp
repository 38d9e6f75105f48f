// colorune: one C or C++ source file in, one highlighted HTML fragment out.

#include <cstdio>

#include "cli/command_line.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "highlighter/convert.h"

#ifdef _WIN32
#include <string>
#include <vector>
#endif

#ifdef __MINGW32__
// The arguments are taken as the console gives them: "*.c" names a file called
// "*.c", as on every other platform where the shell has not expanded it.
int _dowildcard = 0;
#endif

namespace {

int run(int argc, char** argv) {
  // Static: the state holds the fixed input and output buffers.
  static ConverterState state;
  OutputFile output;
  if (!parse_command_line(argc, argv, state, output)) return 1;
  // The conversion reads and writes through large buffers of its own: a second
  // buffer in the streams would only copy every byte again.
  std::setvbuf(state.input, nullptr, _IONBF, 0);
  std::setvbuf(state.output, nullptr, _IONBF, 0);

  convert(state);

  const bool read_failed = state.read_failed || std::ferror(state.input) != 0;
  std::fclose(state.input);
  // A file named with -o is replaced only by a whole conversion.
  const bool closed = close_output(output, !read_failed && !state.write_failed);
  const bool write_failed = state.write_failed || !closed;

  if (read_failed) std::fputs(kInputReadFailed, stderr);
  if (write_failed) std::fputs(kOutputWriteFailed, stderr);
  return (read_failed || write_failed) ? 1 : 0;
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over as wide strings, so that a file name outside
// the console's code page arrives whole; they go on as UTF-8.
int wmain(int argc, wchar_t** wide_argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(utf8_of(wide_argv[i]));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return run(argc, argv.data());
}
#else
int main(int argc, char** argv) { return run(argc, argv); }
#endif
