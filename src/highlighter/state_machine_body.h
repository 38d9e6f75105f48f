#ifndef COLORUNE_HIGHLIGHTER_STATE_MACHINE_BODY_H_
#define COLORUNE_HIGHLIGHTER_STATE_MACHINE_BODY_H_

// The body of the state machine, built once for each instruction set the
// program is made for (state_machine.cpp, state_machine_avx2.cpp; see isa.h).
// No std::min and the like here: the linker could keep this variant's build of
// such a template for all of them.
//
// Per block of 64 bytes: classify (masks of word characters, line feeds, the
// bytes plain text must see, the bytes written otherwise than as they are),
// find the second bytes of pairs (no syntax there) or the UTF-8 sequences, then
// hand the block to the walker of the current context, which visits the events
// of its context in order and returns where the next context begins:
//
//   plain text     word runs (keywords, the modern reading's numbers and raw
//                  literal prefixes), quotes, "/" + "*" or "/", "#"
//   literal        its quote, a backslash (escapes one character), and in the
//                  modern reading a line feed (ends it, outside the element)
//   raw literal    ")" followed by its delimiter and a double quote
//   block comment  "/" right after a "*" of the body
//   line comment   a line feed that no backslash comes right before
//   directive      "/" (a comment inside it), a line feed whose last character
//                  of the directive's own text before it is no backslash
//
// and in every context the bytes written otherwise: "&", "<", ">" (also as
// second bytes), tabs, and as the options ask, spaces and line feeds. Bytes
// between events are copied in one piece.
//
// The pieces: walk_state.h (the block, the cursor, the walk's state),
// walk_writing.h (tags, copies, entities, tabs, line feeds), walk_words.h
// (words, keywords, numbers), walk_contexts.h (a walker for each context) and
// walk_blocks.h (a block's classification and what it hands the next); this
// file walks a window block by block.

#include "highlighter/input_window.h"
#include "highlighter/isa.h"
#include "highlighter/machine_state.h"
#include "highlighter/markup.h"
#include "highlighter/options.h"
#include "highlighter/output_buffer.h"
#include "highlighter/walk_blocks.h"
#include "highlighter/walk_contexts.h"
#include "highlighter/walk_state.h"

inline namespace COLORUNE_ISA {

/// walk_window for the instruction set this variant is built for.
void walk_window_variant(MachineState& machine, InputWindow& input, OutputBuffer& out, const Options& options) {
  Walk w{.machine = machine,
         .out = out,
         .options = options,
         .window = input.bytes,
         .limit = input.bytes + input.limit,
         .window_offset = input.offset,
         .at_end = input.at_end,
         .modern = options.modern,
         .no_pre = options.no_pre,
         .line_numbers = options.line_numbers,
         .open_tags = open_tags(options.style),
         .context = machine.token.context};
  Cursor c{out.data + out.length, input.bytes + input.next};
  const unsigned char* p = c.copied;
  // What the last window handed on, as pointers into this one.
  w.escaped_at = machine.token.escaped ? p : nullptr;
  w.body_start = p;
  w.anchor = p;
  w.anchor_backslash = machine.token.directive_backslash;

  while (p < w.limit) {
    if (c.out > out.data + out.capacity) {  // room for one block's writes
      sync(out, c);
      out.drain(out);
      c.out = out.data + out.length;
    }
    Block b;
    classify(w, b, p, w.limit - p >= 64 ? 64u : static_cast<unsigned>(w.limit - p));
    const unsigned char* const block_stop = w.stop;  // a UTF-8 sequence cut by the window
    w.stop = nullptr;
    const unsigned char* next = p;
    do {
      if (w.context != Context::kPlainText) {
        next = walk_context(w, b, c, next);
      } else if (w.modern) {
        next = walk_plain_text<true>(w, b, c, next);
      } else {
        next = walk_plain_text<false>(w, b, c, next);
      }
    } while (next < block_end(b) && w.stop == nullptr);
    if (w.stop == nullptr) w.stop = block_stop;
    if (w.stop != nullptr) next = w.stop;
    end_block(w, b, next);
    if (w.stop != nullptr) break;
    p = next;
  }

  const unsigned char* const end = w.stop != nullptr ? w.stop : w.limit;
  copy_to(w, c, end);
  sync(out, c);
  input.next = static_cast<std::size_t>(end - input.bytes);
  machine.token.context = w.context;
  machine.token.escaped = w.escaped_at == end;
  machine.token.directive_backslash = w.anchor_backslash;
  if (w.stop != nullptr || w.fresh_run) machine.carry.word = 0;
}

}  // namespace COLORUNE_ISA

#endif  // COLORUNE_HIGHLIGHTER_STATE_MACHINE_BODY_H_
