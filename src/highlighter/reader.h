#ifndef COLORUNE_HIGHLIGHTER_READER_H_
#define COLORUNE_HIGHLIGHTER_READER_H_

#include "highlighter/converter_state.h"

/// Moves the bytes not yet converted (in_buffer[in_next, in_limit), at most a
/// few) to the front of the input window and reads after them until the window
/// is full or the input ends. A read error ends the input like end of file, and
/// sets read_failed. Once the end is met it stays met.
void refill_window(ConverterState& state);

#endif  // COLORUNE_HIGHLIGHTER_READER_H_
