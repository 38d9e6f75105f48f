#ifndef COLORUNE_HIGHLIGHTER_CONVERT_H_
#define COLORUNE_HIGHLIGHTER_CONVERT_H_

#include "highlighter/converter_state.h"

/// Converts the whole of state.input, from where it stands to its end, into one
/// highlighted HTML fragment on state.output, and hands all of it to that stream.
/// state.options.tab_width must be from 1 to 99. Read and write errors are
/// recorded in read_failed and write_failed; the conversion itself never fails.
void convert(ConverterState& state);

#endif  // COLORUNE_HIGHLIGHTER_CONVERT_H_
