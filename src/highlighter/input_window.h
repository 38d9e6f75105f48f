#ifndef COLORUNE_HIGHLIGHTER_INPUT_WINDOW_H_
#define COLORUNE_HIGHLIGHTER_INPUT_WINDOW_H_

#include <cstddef>
#include <cstdint>

// The bytes past a window's limit that must be readable, so that the classifier
// can read a whole block of 64 bytes at its end, and a word can be compared 16
// bytes at once. What they hold does not matter.
inline constexpr std::size_t kInputSlack = 64;

/// The input the state machine walks: bytes[next, limit) is not converted yet,
/// and kInputSlack bytes past limit are readable.
struct InputWindow {
  const unsigned char* bytes = nullptr;
  std::size_t next = 0;
  std::size_t limit = 0;
  std::uint64_t offset = 0;  // where bytes[0] stands in the input
  bool at_end = false;       // no input comes after limit
};

#endif  // COLORUNE_HIGHLIGHTER_INPUT_WINDOW_H_
