#ifndef COLORUNE_HIGHLIGHTER_API_HOOKS_H_
#define COLORUNE_HIGHLIGHTER_API_HOOKS_H_

// What only the tests and the fuzzer choose besides the API's options. Not
// installed, and not exported from the shared library.

#include <cstddef>
#include <cstdint>

#include "colorune.h"

struct ApiHooks {
  /// The state machine built for every processor, not the fastest this one runs.
  bool baseline_only = false;
  /// Every allocation, growth and release of memory: like realloc, and a release
  /// when [size] is 0. Null for realloc and free. A buffer that colorune_to_html
  /// gives is then released with it, not with colorune_free.
  void* (*reallocate)(void* context, void* pointer, std::size_t size) = nullptr;
  void* allocator_context = nullptr;
  /// Where the work counted is added (64 for each block classified, 1 for each
  /// byte looked at one by one), when not null.
  std::uint64_t* work = nullptr;
};

/// colorune_to_html with hooks.
int to_html_with_hooks(const char* text, std::size_t length, unsigned options, unsigned tab_width, char** html,
                       std::size_t* html_length, const ApiHooks& hooks);

/// colorune_converter_new with hooks. The work is added at finish.
int converter_new_with_hooks(unsigned options, unsigned tab_width, colorune_write_fn write, void* context,
                             colorune_converter** converter, const ApiHooks& hooks);

#endif  // COLORUNE_HIGHLIGHTER_API_HOOKS_H_
