#ifndef COLORUNE_TESTS_REFERENCE_CONVERTER_H_
#define COLORUNE_TESTS_REFERENCE_CONVERTER_H_

#include <string>
#include <string_view>

#include "highlighter/options.h"

/// The conversion written the plain way, one character at a time, with no
/// buffers or shortcuts: what the program's own conversion must equal byte for
/// byte, however it is sped up.
std::string reference_convert(std::string_view input, const Options& options);

#endif  // COLORUNE_TESTS_REFERENCE_CONVERTER_H_
