#include "highlighter/state_machine.h"

#include "highlighter/emitter.h"
#include "highlighter/markup.h"
#include "highlighter/state_machine_body.h"  // the baseline variant

#if defined(COLORUNE_AVX2_VARIANT)
namespace avx2 {
void walk_window_variant(ConverterState& state);  // state_machine_avx2.cpp
}  // namespace avx2
#endif

void walk_window(ConverterState& state) {
#if defined(COLORUNE_AVX2_VARIANT)
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  if (avx2 && !state.baseline_only) {
    avx2::walk_window_variant(state);
    return;
  }
#endif
  baseline::walk_window_variant(state);
}

void close_open_element(ConverterState& state) {
  switch (state.context) {
    case Context::kLiteral:
    case Context::kRawLiteral:
    case Context::kRawLiteralStart: write_markup(state, kStringClose); break;
    case Context::kBlockComment:
    case Context::kLineComment: write_markup(state, kCommentClose); break;
    case Context::kDirective: write_markup(state, kDirectiveClose); break;
    case Context::kDirectiveBlockComment:
    case Context::kDirectiveLineComment:
      write_markup(state, kCommentClose);
      write_markup(state, kDirectiveClose);
      break;
    default: break;
  }
}
