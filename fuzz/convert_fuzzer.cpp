// libFuzzer target: the whole conversion on any bytes, through the library's
// API. The first byte chooses the options (see options_from_byte). The output
// must equal the plain character-at-a-time reference converter's byte for byte,
// from the state machine built for every processor and from the fastest this
// one runs, and from a converter fed in pieces whose sizes the input's last
// bytes give; it must be well formed and give the input back (see
// html_check.h); and the work counted must stay within a small multiple of the
// input's length, so that a shape that is slow to convert is a finding too. Any
// fault aborts, so the fuzzer records it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "element_kinds.h"
#include "highlight.h"
#include "html_check.h"
#include "reference_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Options options = options_from_byte(data[0]);
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string html = highlight(input, options);
  if (last_work() > 4 * input.size() + 1024) {
    std::fprintf(stderr, "work %llu for %zu bytes\n", static_cast<unsigned long long>(last_work()), input.size());
    std::abort();
  }
  if (html != markup_of(reference_convert(input, options), options.style) ||
      highlight(input, options, /*baseline_only=*/true) != html) {
    std::fprintf(stderr, "output differs from the reference converter's\n");
    std::abort();
  }
  const std::string_view sizes = input.substr(input.size() > 8 ? input.size() - 8 : 0);
  if (highlight_in_pieces(input, options, sizes) != html) {
    std::fprintf(stderr, "output in pieces differs from the output of the whole\n");
    std::abort();
  }
  const std::string error = check_conversion(input, options, html);
  if (!error.empty()) {
    std::fprintf(stderr, "output check failed: %s\n", error.c_str());
    std::abort();
  }
  return 0;
}
