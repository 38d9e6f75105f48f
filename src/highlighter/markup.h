#ifndef COLORUNE_HIGHLIGHTER_MARKUP_H_
#define COLORUNE_HIGHLIGHTER_MARKUP_H_

#include <cstddef>

// Every tag and entity the output can contain. The class names are what the
// style sheet of the including page selects on: lineno, keyword, comment,
// string, preprocessor.

inline constexpr char kPreClose[] = "</pre>";
inline constexpr char kCodeClose[] = "</code>";
inline constexpr char kLineNumberClose[] = ": </span>";
inline constexpr char kKeywordClose[] = "</strong>";
inline constexpr char kCommentClose[] = "</em>";
inline constexpr char kStringClose[] = "</em>";
inline constexpr char kDirectiveClose[] = "</span>";

inline constexpr char kAmp[] = "&amp;";
inline constexpr char kLt[] = "&lt;";
inline constexpr char kGt[] = "&gt;";
inline constexpr char kNbsp[] = "&nbsp;";  // a space (or a line-number pad) without <pre>
inline constexpr char kBreak[] = "<br>\n";  // a line feed without <pre>

// An opening tag, kept in a fixed-size array so that it is written with one
// copy of a fixed size (its length counts).
struct Tag {
  static constexpr std::size_t kRoom = 192;
  char text[kRoom] = {};
  std::size_t length = 0;

  template <std::size_t N>
  constexpr Tag(const char (&tag)[N]) : length(N - 1) {  // NOLINT: made from literals by design
    static_assert(N <= kRoom);
    for (std::size_t i = 0; i + 1 < N; ++i) text[i] = tag[i];
  }
};

// The opening tags of one run: with classes only, for a page that links
// colorune.css, or (-s) each with a style attribute right after its class that
// gives it the look of the sheet's light scheme, for a page that cannot link a
// style sheet. Taking every ' style="..."' out of the second gives the first.
struct Markup {
  Tag pre_open;
  Tag code_open;
  Tag line_number_open;
  Tag keyword_open;
  Tag comment_open;
  Tag string_open;
  Tag directive_open;
};

inline constexpr Markup kClassMarkup = {
    "<pre>",
    "<code>",
    "<span class=\"lineno\">",
    "<strong class=\"keyword\">",
    "<em class=\"comment\">",
    "<em class=\"string\">",
    "<span class=\"preprocessor\">",
};

// The frame: the box on <pre>, the font on <code> (all the -p output needs in
// any block).
inline constexpr Markup kStyledMarkup = {
    "<pre style=\"color:#1f2328;background:#f6f8fa;padding:0.75em 1em;border:1px solid #d0d7de;"
    "border-radius:6px;overflow-x:auto\">",
    "<code style=\"font-family:ui-monospace,'SFMono-Regular','DejaVu Sans Mono',Menlo,Consolas,monospace;"
    "font-size:0.9em;line-height:1.45\">",
    "<span class=\"lineno\" style=\"color:#656d76;font-style:normal;font-weight:normal;white-space:pre;"
    "user-select:none;-webkit-user-select:none\">",
    "<strong class=\"keyword\" style=\"color:#0550ae;font-weight:bold\">",
    "<em class=\"comment\" style=\"color:#57606a;font-style:italic\">",
    "<em class=\"string\" style=\"color:#116329;font-style:normal\">",
    "<span class=\"preprocessor\" style=\"color:#8250df\">",
};

inline const Markup& markup_for(bool style) { return style ? kStyledMarkup : kClassMarkup; }

#endif  // COLORUNE_HIGHLIGHTER_MARKUP_H_
