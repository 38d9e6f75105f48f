#ifndef COLORUNE_HIGHLIGHTER_MARKUP_H_
#define COLORUNE_HIGHLIGHTER_MARKUP_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Everything the output holds besides the source's own text: its elements, the
// entities, and the break.

/// The elements of the output.
enum class Element : std::uint8_t { kPre, kCode, kLineNumber, kKeyword, kComment, kString, kDirective };

struct ElementRow {
  Element element;
  std::string_view tag;
  std::string_view class_name;  // what the page's style sheet selects on; none for the frame
  std::string_view style;       // -s: the look of the sheet's light scheme, for pages without it
};

// One row for each element, in the order of Element. Every tag the output holds
// is made from these rows (open_tag, close_tag). The styles are those of
// share/colorune.css's light scheme: change them together.
inline constexpr ElementRow kElements[] = {
    {Element::kPre, "pre", "",
     "color:#1f2328;background:#f6f8fa;padding:0.75em 1em;border:1px solid #d0d7de;border-radius:6px;"
     "overflow-x:auto"},
    {Element::kCode, "code", "",
     "font-family:ui-monospace,'SFMono-Regular','DejaVu Sans Mono',Menlo,Consolas,monospace;font-size:0.9em;"
     "line-height:1.45"},
    {Element::kLineNumber, "span", "lineno",
     "color:#656d76;font-style:normal;font-weight:normal;white-space:pre;user-select:none;-webkit-user-select:none"},
    {Element::kKeyword, "strong", "keyword", "color:#0550ae;font-weight:bold"},
    {Element::kComment, "em", "comment", "color:#57606a;font-style:italic"},
    {Element::kString, "em", "string", "color:#116329;font-style:normal"},
    {Element::kDirective, "span", "preprocessor", "color:#8250df"},
};
inline constexpr std::size_t kElementCount = std::size(kElements);

constexpr std::size_t index_of(Element element) { return static_cast<std::size_t>(element); }

constexpr bool rows_in_order() {
  for (std::size_t i = 0; i < kElementCount; ++i) {
    if (index_of(kElements[i].element) != i) return false;
  }
  return true;
}
static_assert(rows_in_order(), "kElements must list the elements in the order of Element");

/// A tag, kept in a fixed-size array so that it is written with one copy of a
/// fixed size (its length counts). Room for the longest, with its style, and
/// for attributes yet to come.
struct Tag {
  static constexpr std::size_t kRoom = 256;
  char text[kRoom] = {};
  std::size_t length = 0;

  constexpr Tag& operator+=(std::string_view part) {
    for (const char c : part) text[length++] = c;
    return *this;
  }
};

constexpr Tag make_open_tag(const ElementRow& row, bool styled) {
  Tag tag;
  tag += "<";
  tag += row.tag;
  if (!row.class_name.empty()) {
    tag += " class=\"";
    tag += row.class_name;
    tag += "\"";
  }
  if (styled) {
    tag += " style=\"";
    tag += row.style;
    tag += "\"";
  }
  tag += ">";
  return tag;
}

constexpr Tag make_close_tag(const ElementRow& row) {
  Tag tag;
  tag += "</";
  tag += row.tag;
  tag += ">";
  return tag;
}

using Tags = std::array<Tag, kElementCount>;

constexpr Tags make_tags(bool open, bool styled) {
  Tags tags{};
  for (std::size_t i = 0; i < kElementCount; ++i) {
    tags[i] = open ? make_open_tag(kElements[i], styled) : make_close_tag(kElements[i]);
  }
  return tags;
}

inline constexpr Tags kOpenTags = make_tags(true, false);
inline constexpr Tags kStyledOpenTags = make_tags(true, true);
inline constexpr Tags kCloseTags = make_tags(false, false);

/// The opening tags of a run: with classes only, for a page that links
/// colorune.css, or (-s) each with its style too.
constexpr const Tags& open_tags(bool styled) { return styled ? kStyledOpenTags : kOpenTags; }

constexpr const Tag& close_tag(Element element) { return kCloseTags[index_of(element)]; }

// The longest opening tag: of the styled ones.
constexpr std::size_t longest_open_tag() {
  std::size_t longest = 0;
  for (const Tag& tag : kStyledOpenTags) longest = tag.length > longest ? tag.length : longest;
  return longest;
}

// Entities and the break, written for single characters.
inline constexpr char kAmp[] = "&amp;";
inline constexpr char kLt[] = "&lt;";
inline constexpr char kGt[] = "&gt;";
inline constexpr char kNbsp[] = "&nbsp;";  // a space (or a line-number pad) without <pre>
inline constexpr char kBreak[] = "<br>\n";  // a line feed without <pre>

// What ends a line number, before its element closes.
inline constexpr char kLineNumberEnd[] = ": ";

#endif  // COLORUNE_HIGHLIGHTER_MARKUP_H_
