#ifndef COLORUNE_HIGHLIGHTER_LINE_NUMBERS_H_
#define COLORUNE_HIGHLIGHTER_LINE_NUMBERS_H_

#include "highlighter/isa.h"
#include "highlighter/machine_state.h"
#include "highlighter/options.h"
#include "highlighter/output_buffer.h"

/// Writes the line-number element for lines.line_number when line numbers are on.
void write_line_prefix(const LineFeedText& lines, const Options& options, OutputBuffer& out);

/// Makes lines.text for the line after lines.line_number.
void compose_line_feed_text(LineFeedText& lines, const Options& options);

inline namespace COLORUNE_ISA {

/// After lines.text has been written: counts the new line and makes the text
/// for the next one.
inline void advance_line_feed_text(LineFeedText& lines, const Options& options) {
  ++lines.line_number;
  if (!options.line_numbers) return;
  char& last = lines.text[lines.last_digit];
  if (last != '9') {
    ++last;
  } else {
    compose_line_feed_text(lines, options);  // a carry, perhaps a digit more
  }
}

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_LINE_NUMBERS_H_
