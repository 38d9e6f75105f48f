#ifndef COLORUNE_TESTS_HTML_CHECK_H_
#define COLORUNE_TESTS_HTML_CHECK_H_

#include <string>
#include <string_view>

#include "highlighter/options.h"

/// Checks [html], the output for [input] converted with [options], against the
/// output format, without knowing where any element should be:
///  - it is one frame, every "<" opens or closes one of the format's own tags,
///    every "&" starts one of its entities, and the elements are balanced and
///    nested only as allowed (a line number in the frame or inside a comment,
///    literal or directive; a comment inside a directive; keywords only directly
///    inside the frame), each element holding what its kind must start with;
///  - taking away the tags and the line numbers and decoding the entities and
///    breaks gives back the input with its tabs expanded, every character
///    escaped that must be and none that must not (a second byte is copied raw
///    unless it is "<", ">" or "&");
///  - with line numbers, line k's number stands at the start of the text and
///    after the (k-1)th line feed, right-aligned in three places.
/// Returns "" when all of this holds, else a description of the first fault.
std::string check_conversion(std::string_view input, const Options& options, std::string_view html);

#endif  // COLORUNE_TESTS_HTML_CHECK_H_
