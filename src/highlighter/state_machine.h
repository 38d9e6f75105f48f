#ifndef COLORUNE_HIGHLIGHTER_STATE_MACHINE_H_
#define COLORUNE_HIGHLIGHTER_STATE_MACHINE_H_

#include "highlighter/converter_state.h"

// The conversion as one state machine over the input window: each block of 64
// bytes is classified once (block_classifier.h), and its events are walked with
// the context (plain text, literal, comment, directive ...) as the state,
// switching context at the event that ends one. What a context must remember
// across blocks and windows is kept in the ConverterState, so no token needs the
// whole of itself in the window.

/// Walks the input window from in_next on and writes its conversion. Stops at
/// the window's limit, or a few bytes before it where what they are depends on
/// bytes not yet read (a word that may be a keyword, a "/" that may open a
/// comment): in_next is left there, and those bytes are walked again with the
/// next window. At the end of the input the window is walked to its limit.
void walk_window(ConverterState& state);

/// At the end of the input: closes the element the conversion is in, if any.
void close_open_element(ConverterState& state);

#endif  // COLORUNE_HIGHLIGHTER_STATE_MACHINE_H_
