#ifndef COLORUNE_HIGHLIGHTER_MARKUP_H_
#define COLORUNE_HIGHLIGHTER_MARKUP_H_

// Every tag and entity the output can contain. The class names are what the
// style sheet of the including page selects on: lineno, keyword, comment,
// string, preprocessor.

inline constexpr char kPreOpen[] = "<pre>";
inline constexpr char kPreClose[] = "</pre>";
inline constexpr char kCodeOpen[] = "<code>";
inline constexpr char kCodeClose[] = "</code>";

inline constexpr char kLineNumberOpen[] = "<span class=\"lineno\">";
inline constexpr char kLineNumberClose[] = ": </span>";
inline constexpr char kKeywordOpen[] = "<strong class=\"keyword\">";
inline constexpr char kKeywordClose[] = "</strong>";
inline constexpr char kCommentOpen[] = "<em class=\"comment\">";
inline constexpr char kCommentClose[] = "</em>";
inline constexpr char kStringOpen[] = "<em class=\"string\">";
inline constexpr char kStringClose[] = "</em>";
inline constexpr char kDirectiveOpen[] = "<span class=\"preprocessor\">";
inline constexpr char kDirectiveClose[] = "</span>";

inline constexpr char kAmp[] = "&amp;";
inline constexpr char kLt[] = "&lt;";
inline constexpr char kGt[] = "&gt;";
inline constexpr char kNbsp[] = "&nbsp;";  // a space (or a line-number pad) without <pre>
inline constexpr char kBreak[] = "<br>\n";  // a line feed without <pre>

#endif  // COLORUNE_HIGHLIGHTER_MARKUP_H_
