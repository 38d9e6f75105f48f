#ifndef COLORUNE_BENCH_GENERATE_SOURCE_H_
#define COLORUNE_BENCH_GENERATE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <string>

/// Realistic C and C++ text of exactly [size] bytes: directives (some continued
/// over lines), functions indented with tabs, keywords and identifiers, line and
/// block comments (some in Shift_JIS), string and character literals with
/// escapes. The same [variant] always gives the same text, on any platform.
std::string generate_source(std::size_t size, std::uint32_t variant = 1);

#endif  // COLORUNE_BENCH_GENERATE_SOURCE_H_
