#ifndef COLORUNE_HIGHLIGHTER_STATE_MACHINE_H_
#define COLORUNE_HIGHLIGHTER_STATE_MACHINE_H_

#include "highlighter/input_window.h"
#include "highlighter/machine_state.h"
#include "highlighter/options.h"
#include "highlighter/output_buffer.h"

// The conversion as one state machine over an input window: each block of 64
// bytes is classified once (block_classifier.h), and its events are walked with
// the context (plain text, literal, comment, directive ...) as the state,
// switching context at the event that ends one. What a context must remember
// across blocks and windows is kept in the MachineState, so no token needs the
// whole of itself in the window.

/// Walks input from input.next on and writes its conversion to out. Stops at
/// input.limit, or a few bytes before it where what they are depends on bytes
/// not yet read (a word that may be a keyword, a "/" that may open a comment):
/// input.next is left there, and those bytes are walked again with the next
/// window. At the end of the input (input.at_end) the window is walked to its
/// limit.
using WalkWindow = void (*)(MachineState& machine, InputWindow& input, OutputBuffer& out, const Options& options);

/// The walk built for the fastest instruction set this processor runs, or with
/// [baseline_only] the one built for every processor.
WalkWindow choose_walk(bool baseline_only);

/// At the end of the input: closes the element the conversion is in, if any.
void close_open_element(const TokenState& token, OutputBuffer& out);

#endif  // COLORUNE_HIGHLIGHTER_STATE_MACHINE_H_
