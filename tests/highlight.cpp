#include "highlight.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "colorune.h"
#include "element_kinds.h"
#include "highlighter/api_hooks.h"

namespace {
std::uint64_t work_of_last_call = 0;
}  // namespace

std::uint64_t last_work() { return work_of_last_call; }

unsigned option_bits(const Options& options) {
  return (options.line_numbers ? COLORUNE_LINE_NUMBERS : 0u) | (options.no_pre ? COLORUNE_NO_PRE : 0u) |
         (options.utf8 ? COLORUNE_UTF8 : 0u) | (options.modern ? COLORUNE_MODERN : 0u) |
         (options.style ? COLORUNE_STYLE : 0u);
}

std::string highlight(std::string_view input, const Options& options, bool baseline_only) {
  ApiHooks hooks;
  hooks.baseline_only = baseline_only;
  work_of_last_call = 0;
  hooks.work = &work_of_last_call;
  char* html = nullptr;
  std::size_t length = 0;
  const int status =
      to_html_with_hooks(input.data(), input.size(), option_bits(options), options.tab_width, &html, &length, hooks);
  if (status != COLORUNE_OK) throw std::runtime_error(colorune_strerror(status));
  std::string result(html, length);
  colorune_free(html);
  return result;
}

namespace {
int append(void* text, const char* bytes, std::size_t count) {
  static_cast<std::string*>(text)->append(bytes, count);
  return 0;
}
}  // namespace

std::string highlight_in_pieces(std::string_view input, const Options& options, std::string_view sizes,
                                bool baseline_only) {
  ApiHooks hooks;
  hooks.baseline_only = baseline_only;
  std::string result;
  colorune_converter* converter = nullptr;
  int status = converter_new_with_hooks(option_bits(options), options.tab_width, append, &result, &converter, hooks);
  for (std::size_t at = 0, turn = 0; status == COLORUNE_OK && at < input.size(); ++turn) {
    const auto size_byte = sizes.empty() ? 0u : static_cast<unsigned char>(sizes[turn % sizes.size()]);
    const std::size_t size = size_byte == 255 ? 5000 : size_byte + 1;
    const std::size_t piece = size < input.size() - at ? size : input.size() - at;
    status = colorune_converter_feed(converter, input.data() + at, piece);
    at += piece;
  }
  if (status == COLORUNE_OK) status = colorune_converter_finish(converter);
  colorune_converter_free(converter);
  if (status != COLORUNE_OK) throw std::runtime_error(colorune_strerror(status));
  return result;
}

std::string highlighted(std::string_view input, const Options& options) {
  return kinds_of(highlight(input, options));
}

std::string framed(std::string_view body, const Options& options) {
  std::string result = options.no_pre ? "<code>" : "<pre><code>";
  if (options.line_numbers) result += options.no_pre ? "<lineno>&nbsp;&nbsp;1: </lineno>" : "<lineno>  1: </lineno>";
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
