#ifndef COLORUNE_TESTS_REFERENCE_CONVERTER_H_
#define COLORUNE_TESTS_REFERENCE_CONVERTER_H_

#include <string>
#include <string_view>
#include <vector>

#include "highlighter/options.h"

/// The conversion written the plain way, one character at a time, with no
/// buffers or shortcuts, its elements written as their kinds (element_kinds.h):
/// what the program's own conversion must equal, however it is sped up.
std::string reference_convert(std::string_view input, const Options& options);

/// The words the reference takes for keywords in the classic reading, or with
/// [modern] in the modern one: its own list, which the program's table must
/// agree with word for word.
std::vector<std::string_view> reference_keywords(bool modern);

#endif  // COLORUNE_TESTS_REFERENCE_CONVERTER_H_
