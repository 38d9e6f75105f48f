#ifndef COLORUNE_HIGHLIGHTER_KEYWORDS_H_
#define COLORUNE_HIGHLIGHTER_KEYWORDS_H_

#include <cstddef>
#include <string_view>

/// The words written as keyword elements, in their reference order.
inline constexpr std::size_t kKeywordCount = 62;
extern const std::string_view keyword_table[kKeywordCount];

/// True when [word] is one of the keyword_table entries, compared exactly and
/// case-sensitively.
bool is_keyword(std::string_view word);
inline bool is_keyword(const char* word) { return is_keyword(std::string_view(word)); }

/// is_keyword for [length] bytes at [word], where 16 bytes from [word] on are
/// readable (as in the input window): compared 16 bytes at once.
bool is_keyword_in_window(const unsigned char* word, std::size_t length);

#endif  // COLORUNE_HIGHLIGHTER_KEYWORDS_H_
