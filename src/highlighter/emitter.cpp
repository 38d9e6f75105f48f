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

// Digits of a number, written backwards into a buffer large enough for any
// 64-bit value.
void write_decimal(ConverterState& state, std::uint64_t value) {
  char digits[20];
  std::size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  write_bytes(state, digits + start, sizeof digits - start);
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
  write_markup(state, kLineNumberOpen);
  // Right-aligned in three places; from line 1000 on the number stands whole.
  for (std::uint64_t place = 100; place > 1 && state.line_number < place; place /= 10) {
    if (state.options.no_pre) {
      write_markup(state, kNbsp);
    } else {
      write_byte(state, ' ');
    }
  }
  write_decimal(state, state.line_number);
  write_markup(state, kLineNumberClose);
}
