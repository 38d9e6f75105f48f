#ifndef COLORUNE_TESTS_ELEMENT_KINDS_H_
#define COLORUNE_TESTS_ELEMENT_KINDS_H_

#include <string>
#include <string_view>
#include <vector>

// Tests say what was highlighted, not how it is spelled: an element is written
// <kind> ... </kind>, where the kind is the element's class ("keyword",
// "comment", "string", "preprocessor", "lineno"), or its tag for the frame's
// elements ("pre", "code"). The text between stays as the output has it
// (entities, <br>): a "<" of the source is always written as an entity, so the
// notation is never ambiguous. The golden files are the byte-for-byte
// contract; everything else compares kinds.

/// [html] with every tag of the output's elements (src/highlighter/markup.h),
/// with or without its style, written as its kind. Anything else that looks
/// like a tag stays as it is (a close that does not match the open element
/// too), for a check to find.
std::string kinds_of(std::string_view html);

/// The kinds of the elements inside the frame ("lineno", "keyword" ...).
std::vector<std::string> element_kinds();

/// The markup of [kinds] as the program writes it: each <kind> and </kind> as
/// the element's tags, with their styles when [styled] (-s).
std::string markup_of(std::string_view kinds, bool styled = false);

#endif  // COLORUNE_TESTS_ELEMENT_KINDS_H_
