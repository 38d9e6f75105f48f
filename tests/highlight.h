#ifndef COLORUNE_TESTS_HIGHLIGHT_H_
#define COLORUNE_TESTS_HIGHLIGHT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "highlighter/options.h"

/// Converts [input] through the library's API (colorune_to_html) and returns
/// the output bytes. With [baseline_only], by the state machine built for every
/// processor rather than the fastest this one runs.
std::string highlight(std::string_view input, const Options& options = {}, bool baseline_only = false);

/// Converts [input] through a converter (colorune_converter_feed), fed in
/// pieces whose sizes come from [sizes] in turn: each byte b a piece of b + 1
/// bytes, or 5000 for 255; an empty [sizes] feeds a byte at a time. With
/// [baseline_only] as for highlight().
std::string highlight_in_pieces(std::string_view input, const Options& options, std::string_view sizes,
                                bool baseline_only = false);

/// The work the last highlight() call counted.
std::uint64_t last_work();

/// The API's option bits for [options].
unsigned option_bits(const Options& options);

/// What highlight() gives, with its elements written as their kinds
/// (element_kinds.h).
std::string highlighted(std::string_view input, const Options& options = {});

/// [body] (in kinds) inside the frame the options call for, with line 1's
/// number when line numbers are on: what highlighted() gives for input whose
/// body is [body].
std::string framed(std::string_view body, const Options& options = {});

/// [html] with every ' style="..."' attribute taken out: what the output of -s
/// must give back the output without -s as.
std::string without_styles(std::string_view html);

/// Options in one expression: line numbers, no-pre, tab width, UTF-8, modern.
Options make_options(bool line_numbers, bool no_pre, std::uint32_t tab_width = 4, bool utf8 = false,
                     bool modern = false);

/// The options a fuzzer input's first byte stands for: bit 0 line numbers, bit 1
/// no-pre, bit 2 UTF-8, bit 3 the modern reading, bit 4 inline styles, bits 5 to
/// 7 the tab width (1, 2, 3, 4, 5, 7, 8 or 99).
Options options_from_byte(unsigned char byte);

#endif  // COLORUNE_TESTS_HIGHLIGHT_H_
