#include "highlighter/keywords.h"

#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

constexpr std::string_view keyword_table[kKeywordCount] = {
    "auto",      "asm",          "bool",      "break",    "case",     "catch",
    "char",      "class",        "const",     "const_cast", "continue", "default",
    "delete",    "do",           "double",    "dynamic_cast", "else", "enum",
    "explicit",  "extern",       "false",     "float",    "for",      "friend",
    "goto",      "if",           "inline",    "int",      "long",     "mutable",
    "namespace", "new",          "operator",  "private",  "protected", "public",
    "register",  "reinterpret_cast", "return", "short",   "signed",   "sizeof",
    "static",    "static_cast",  "struct",    "switch",   "template", "this",
    "throw",     "true",         "try",       "typedef",  "typeid",   "typename",
    "union",     "unsigned",     "using",     "virtual",  "void",     "volatile",
    "wchar_t",   "while",
};

namespace {

// Most words a scan meets are identifiers, not keywords, so the lookup must
// reject a word fast. A hash of the length and three letters gives every keyword
// a slot of its own (make_slots fails to compile otherwise); a word is then
// compared with the one keyword in its slot, length first.
constexpr std::size_t kLongestKeyword = 16;  // "reinterpret_cast"
constexpr std::size_t kSlotCount = 256;

constexpr std::size_t slot_of(std::string_view word) {
  const auto byte = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(word[i])); };
  return (word.size() + 7 * byte(0) + 10 * byte(1) + 5 * byte(word.size() - 1)) % kSlotCount;
}

struct Slot {
  alignas(16) char text[kLongestKeyword] = {};  // zeros after the keyword
  std::size_t length = 0;  // 0: no keyword hashes here
};

constexpr std::array<Slot, kSlotCount> make_slots() {
  std::array<Slot, kSlotCount> slots{};
  for (std::string_view keyword : keyword_table) {
    Slot& slot = slots[slot_of(keyword)];
    if (slot.length != 0) throw "two keywords share a slot: choose other factors in slot_of";
    for (std::size_t i = 0; i < keyword.size(); ++i) slot.text[i] = keyword[i];
    slot.length = keyword.size();
  }
  return slots;
}

constexpr std::array<Slot, kSlotCount> kSlots = make_slots();

// The one slot [word] can be in, when a keyword of its length hashes there.
const Slot* slot_for(std::string_view word) {
  if (word.size() < 2 || word.size() > kLongestKeyword) return nullptr;
  const Slot& slot = kSlots[slot_of(word)];
  return slot.length == word.size() ? &slot : nullptr;
}

}  // namespace

bool is_keyword(std::string_view word) {
  const Slot* const slot = slot_for(word);
  if (slot == nullptr) return false;
  // A loop, not memcmp: the words are short, and a call costs more than they do.
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (slot->text[i] != word[i]) return false;
  }
  return true;
}

bool is_keyword_in_window(const unsigned char* word, std::size_t length) {
#if defined(__SSE2__)
  const Slot* const slot = slot_for(std::string_view(reinterpret_cast<const char*>(word), length));
  if (slot == nullptr) return false;
  // Equal in the first [length] bytes; what follows the word does not count.
  const __m128i equal = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(word)),
                                       _mm_load_si128(reinterpret_cast<const __m128i*>(slot->text)));
  const unsigned differ = ~static_cast<unsigned>(_mm_movemask_epi8(equal)) & ((1u << length) - 1);
  return differ == 0;
#else
  return is_keyword(std::string_view(reinterpret_cast<const char*>(word), length));
#endif
}
