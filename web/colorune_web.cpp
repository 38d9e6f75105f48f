// The conversion for the browser page: the same highlighter, compiled to
// WebAssembly, between two memory buffers. web/api.js wraps it as the page's
// global colorune.

#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "highlighter/convert.h"

namespace {

// One record for every call: it holds the fixed buffers.
ConverterState state;

}  // namespace

/// Converts [size] bytes at [input] with the options given; returns the
/// fragment in a buffer from malloc, which the caller frees, and its size in
/// [out_size]. Null when no memory is left.
extern "C" EMSCRIPTEN_KEEPALIVE char* colorune_convert(char* input, std::size_t size, int line_numbers, int no_pre,
                                                        unsigned tab_width, int utf8, int modern, int style,
                                                        std::size_t* out_size) {
  // fmemopen refuses a buffer of no bytes: an empty input is read from the end
  // of a one-byte buffer.
  char empty = 0;
  std::FILE* in = size > 0 ? fmemopen(input, size, "r") : fmemopen(&empty, 1, "r");
  if (in != nullptr && size == 0) std::fseek(in, 1, SEEK_SET);
  char* out_bytes = nullptr;
  std::FILE* out = open_memstream(&out_bytes, out_size);
  if (in == nullptr || out == nullptr) {
    if (in != nullptr) std::fclose(in);
    if (out != nullptr) std::fclose(out);
    std::free(out_bytes);
    return nullptr;
  }

  new (&state) ConverterState;  // fields anew; the buffers need no clearing
  state.input = in;
  state.output = out;
  state.options.line_numbers = line_numbers != 0;
  state.options.no_pre = no_pre != 0;
  state.options.tab_width = tab_width;
  state.options.utf8 = utf8 != 0;
  state.options.modern = modern != 0;
  state.options.style = style != 0;
  convert(state);
  std::fclose(in);
  const bool failed = std::fclose(out) != 0 || state.write_failed;
  if (failed) {
    std::free(out_bytes);
    return nullptr;
  }
  return out_bytes;
}
