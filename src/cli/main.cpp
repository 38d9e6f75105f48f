// colorune: one C or C++ source file in, one highlighted HTML fragment out.

#include <cstddef>
#include <cstdio>

#include "cli/command_line.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "colorune.h"

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

int write_to_stream(void* stream, const char* bytes, std::size_t count) {
  return std::fwrite(bytes, 1, count, static_cast<std::FILE*>(stream)) != count ? 1 : 0;
}

// The input is read in pieces of this size.
char input_buffer[1 << 16];

int run(int argc, char** argv) {
  hold_standard_descriptors();
  CommandLine command;
  OutputFile output;
  if (!parse_command_line(argc, argv, command, output)) return 1;
  // The converter reads and writes through large buffers of its own: a second
  // buffer in the streams would only copy every byte again.
  std::setvbuf(command.input, nullptr, _IONBF, 0);
  std::setvbuf(output.stream, nullptr, _IONBF, 0);

  colorune_converter* converter = nullptr;
  int status = colorune_converter_new(command.options, command.tab_width, write_to_stream, output.stream, &converter);
  while (status == COLORUNE_OK) {
    // fread gives less than asked only at the end of the input or on an error.
    const std::size_t count = std::fread(input_buffer, 1, sizeof input_buffer, command.input);
    if (count > 0) status = colorune_converter_feed(converter, input_buffer, count);
    if (count < sizeof input_buffer) break;
  }
  // A read error ends the input as its end does: the fragment is closed.
  if (status == COLORUNE_OK) status = colorune_converter_finish(converter);
  colorune_converter_free(converter);

  const bool read_failed = std::ferror(command.input) != 0;
  std::fclose(command.input);
  // A file named with -o is replaced only by a whole conversion.
  const bool closed = close_output(output, !read_failed && status == COLORUNE_OK);
  const bool write_failed = status != COLORUNE_OK || !closed;

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
