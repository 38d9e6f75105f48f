#ifndef COLORUNE_HIGHLIGHTER_OPTIONS_H_
#define COLORUNE_HIGHLIGHTER_OPTIONS_H_

#include <cstdint>

/// What the caller asks of one conversion (the program's options).
struct Options {
  bool line_numbers = false;     // -l: a line-number element at the start of every line
  bool no_pre = false;           // -p: no <pre>; spaces as &nbsp;, line feeds as <br>
  std::uint32_t tab_width = 4;   // -t<n>: tab stops every n columns, 1 to 99
  bool utf8 = false;             // -u: read whole UTF-8 sequences instead of byte pairs
  bool modern = false;           // -m: the C and C++ of today (keywords, numbers, raw literals)
  bool style = false;            // -s: the look of the style sheet in each tag, for pages without it
};

#endif  // COLORUNE_HIGHLIGHTER_OPTIONS_H_
