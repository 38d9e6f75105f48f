#ifndef COLORUNE_HIGHLIGHTER_CONVERTER_H_
#define COLORUNE_HIGHLIGHTER_CONVERTER_H_

#include <cstddef>
#include <cstdint>

#include "highlighter/input_window.h"
#include "highlighter/machine_state.h"
#include "highlighter/options.h"
#include "highlighter/output_buffer.h"
#include "highlighter/state_machine.h"

// One conversion of an input that comes in pieces of any size: the frame of the
// fragment around the state machine's walks. Large pieces are walked where they
// are; small ones, and the few bytes a walk leaves for the next, are gathered in
// held_bytes first. Where the input comes from and where the output goes is the
// caller's: the output goes to out, whose drain the caller sets.

/// Small pieces are gathered up to this many bytes before they are walked; a
/// walk in the caller's bytes takes at most kLongestWalk of them, so that a
/// failed output is noticed soon. The fuzz and sanitizer builds make both tiny,
/// so that every token meets a window's edge somewhere.
#ifdef COLORUNE_SMALL_BUFFERS
inline constexpr std::size_t kHeldRoom = 128;
inline constexpr std::size_t kLongestWalk = 128;
#else
inline constexpr std::size_t kHeldRoom = 4096;
inline constexpr std::size_t kLongestWalk = std::size_t{1} << 18;
#endif

struct Converter {
  Options options;
  WalkWindow walk = nullptr;
  MachineState machine;
  OutputBuffer out;
  std::uint64_t walked = 0;  // input bytes converted so far
  std::size_t held = 0;      // input bytes gathered in held_bytes, not yet converted
  alignas(64) unsigned char held_bytes[kHeldRoom + kInputSlack] = {};
};

/// Chooses the walk and writes the opening of the frame; c.options and c.out
/// must be set.
void start_conversion(Converter& c, bool baseline_only);

/// Converts the next [count] bytes of the input. Stops early once the output
/// has failed.
void feed_conversion(Converter& c, const unsigned char* bytes, std::size_t count);

/// At the end of the input: converts what is held, and closes what is open and
/// the frame. The rest of the output is left in c.out for the caller.
void finish_conversion(Converter& c);

#endif  // COLORUNE_HIGHLIGHTER_CONVERTER_H_
