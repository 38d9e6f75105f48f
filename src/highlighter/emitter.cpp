#include "highlighter/emitter.h"

#include "highlighter/markup.h"

void flush_output(ConverterState& state) {
  if (state.out_length == 0) return;
  if (std::fwrite(state.out_buffer, 1, state.out_length, state.output) != state.out_length) {
    state.write_failed = true;
  }
  state.out_length = 0;
}

namespace {

// Enough spaces for the widest tab.
constexpr char kSpaces[] =
    "                                                                                                    ";
static_assert(sizeof kSpaces - 1 >= 99);

// A character that starts with a byte above 0x7F is copied through byte for
// byte. In a pair of the default reading, a second byte "<", ">" or "&" (which
// Shift_JIS never has) comes from text in some other encoding and is escaped,
// lest it open a tag in the page. UTF-8 continuation bytes are never ASCII.
void emit_wide_char(ConverterState& state, CharCode c) {
  write_byte(state, static_cast<char>(c & 0xFF));
  const int second = (c >> 8) & 0xFF;
  switch (c & (3 << kFormShift)) {
    case kLoneByte: break;
    case kTwoBytes:
      switch (second) {
        case '&': write_markup(state, kAmp); break;
        case '<': write_markup(state, kLt); break;
        case '>': write_markup(state, kGt); break;
        default: write_byte(state, static_cast<char>(second)); break;
      }
      break;
    case kThreeBytes: {
      const char rest[] = {static_cast<char>(second), static_cast<char>((c >> 16) & 0xFF)};
      write_bytes(state, rest, sizeof rest);
      break;
    }
    default: {  // kFourBytes
      const char rest[] = {static_cast<char>(second), static_cast<char>(0x80 | ((c >> 16) & 0x3F)),
                           static_cast<char>(0x80 | ((c >> 22) & 0x3F))};
      write_bytes(state, rest, sizeof rest);
      break;
    }
  }
}

// Brings state.line_text to the digits of line_number: one more than the last
// time, most often, which changes the last digits only.
void update_line_text(ConverterState& state) {
  const std::uint64_t line = state.line_number;
  if (line == state.line_text_number) return;
  char* const text = state.line_text;
  std::size_t length = state.line_text_length;
  if (line == state.line_text_number + 1 && length > 0) {
    std::size_t i = length;
    while (i > 0 && text[i - 1] == '9') text[--i] = '0';
    if (i > 0) {
      text[i - 1] = static_cast<char>(text[i - 1] + 1);
    } else {  // 99...9 + 1: one digit more
      std::memmove(text + 1, text, length);
      text[0] = '1';
      ++length;
    }
  } else {
    char digits[20];
    std::size_t start = sizeof digits;
    std::uint64_t value = line;
    do {
      digits[--start] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    length = sizeof digits - start;
    std::memcpy(text, digits + start, length);
  }
  state.line_text_length = length;
  state.line_text_number = line;
}

}  // namespace

void emit_char(ConverterState& state, CharCode c) {
  if (c & 0x80) {
    emit_wide_char(state, c);
    state.column += 1;
    return;
  }
  switch (c) {
    case '\t': {
      // Spaces to the next tab stop, each a column of its own.
      const std::int64_t width = state.options.tab_width;
      // The common widths are powers of two, where a mask spares a division.
      const std::int64_t past_stop = (width & (width - 1)) == 0 ? state.column & (width - 1) : state.column % width;
      const std::int64_t spaces = width - past_stop;  // 1 to 99
      if (state.options.no_pre) {
        for (std::int64_t n = spaces; n > 0; --n) write_markup(state, kNbsp);
      } else {
        write_bytes(state, kSpaces, static_cast<std::size_t>(spaces));
      }
      state.column += spaces;
      return;
    }
    case '\n':
      if (state.options.no_pre) {
        write_markup(state, kBreak);
      } else {
        write_byte(state, '\n');
      }
      state.line_number += 1;
      state.column = 0;
      write_line_prefix(state);
      return;
    case ' ':
      if (state.options.no_pre) {
        write_markup(state, kNbsp);
      } else {
        write_byte(state, ' ');
      }
      break;
    case '&': write_markup(state, kAmp); break;
    case '<': write_markup(state, kLt); break;
    case '>': write_markup(state, kGt); break;
    default: write_byte(state, static_cast<char>(c)); break;
  }
  state.column += 1;
}

void emit_text(ConverterState& state, const char* text) {
  for (; *text != '\0'; ++text) emit_char(state, static_cast<unsigned char>(*text));
}

void write_line_prefix(ConverterState& state) {
  if (!state.options.line_numbers) return;
  // Composed in the output buffer at once: it follows every line feed.
  constexpr std::size_t kLongest = sizeof kLineNumberOpen - 1 + 2 * (sizeof kNbsp - 1) + 20 + sizeof kLineNumberClose - 1;
  if (state.out_length + kLongest > kOutputBufferSize) flush_output(state);
  char* out = state.out_buffer + state.out_length;
  std::memcpy(out, kLineNumberOpen, sizeof kLineNumberOpen - 1);
  out += sizeof kLineNumberOpen - 1;
  // Right-aligned in three places; from line 1000 on the number stands whole.
  const std::uint64_t line = state.line_number;
  const std::size_t pads = line < 10 ? 2 : line < 100 ? 1 : 0;
  for (std::size_t i = 0; i < pads; ++i) {
    if (state.options.no_pre) {
      std::memcpy(out, kNbsp, sizeof kNbsp - 1);
      out += sizeof kNbsp - 1;
    } else {
      *out++ = ' ';
    }
  }
  update_line_text(state);
  std::memcpy(out, state.line_text, 20);  // a fixed size, with no call; the length counts
  out += state.line_text_length;
  std::memcpy(out, kLineNumberClose, sizeof kLineNumberClose - 1);
  out += sizeof kLineNumberClose - 1;
  state.out_length = static_cast<std::size_t>(out - state.out_buffer);
}
