#include "highlight.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "highlighter/convert.h"

namespace {
std::uint64_t work_of_last_call = 0;
}  // namespace

std::uint64_t last_work() { return work_of_last_call; }

std::string highlight(std::string_view input, const Options& options, bool baseline_only) {
  std::string source(input);
  std::FILE* in = fmemopen(source.data(), source.size(), "r");
  char* out_bytes = nullptr;
  std::size_t out_size = 0;
  std::FILE* out = open_memstream(&out_bytes, &out_size);
  if (in == nullptr || out == nullptr) throw std::runtime_error("cannot open memory streams");

  // One record for the whole process, its fields set anew for each call (the
  // buffers need no clearing): the fuzzer calls this a million times.
  static ConverterState* const shared = new ConverterState();
  ConverterState* const state = new (shared) ConverterState;
  state->input = in;
  state->output = out;
  state->options = options;
  state->baseline_only = baseline_only;
  convert(*state);
  work_of_last_call = state->work;
  std::fclose(in);
  std::fclose(out);
  std::string result(out_bytes, out_size);
  std::free(out_bytes);
  return result;
}

std::string framed(std::string_view body, const Options& options) {
  std::string result = options.no_pre ? "<code>" : "<pre><code>";
  if (options.line_numbers) {
    result += options.no_pre ? "<span class=\"lineno\">&nbsp;&nbsp;1: </span>"
                             : "<span class=\"lineno\">  1: </span>";
  }
  result += body;
  result += options.no_pre ? "</code>" : "</code></pre>";
  return result;
}

std::string without_styles(std::string_view html) {
  // Only inside tags: the source's own text may say ' style="' too. A "<" of
  // the source is always written as an entity, so every "<" opens a tag.
  std::string result;
  constexpr std::string_view kStyle = " style=\"";
  bool in_tag = false;
  for (std::size_t at = 0; at < html.size();) {
    if (in_tag && html.compare(at, kStyle.size(), kStyle) == 0) {
      at = html.find('"', at + kStyle.size()) + 1;
      continue;
    }
    if (html[at] == '<') in_tag = true;
    if (html[at] == '>') in_tag = false;
    result += html[at++];
  }
  return result;
}

Options make_options(bool line_numbers, bool no_pre, std::uint32_t tab_width, bool utf8, bool modern) {
  Options options;
  options.line_numbers = line_numbers;
  options.no_pre = no_pre;
  options.tab_width = tab_width;
  options.utf8 = utf8;
  options.modern = modern;
  return options;
}

Options options_from_byte(unsigned char byte) {
  Options options;
  options.line_numbers = (byte & 1) != 0;
  options.no_pre = (byte & 2) != 0;
  options.utf8 = (byte & 4) != 0;
  options.modern = (byte & 8) != 0;
  options.style = (byte & 16) != 0;
  constexpr std::uint32_t kWidths[] = {1, 2, 3, 4, 5, 7, 8, 99};
  options.tab_width = kWidths[byte >> 5];
  return options;
}
