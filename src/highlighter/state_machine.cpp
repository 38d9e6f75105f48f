#include "highlighter/state_machine.h"

#include "highlighter/markup.h"
#include "highlighter/state_machine_body.h"  // the baseline variant

#if defined(COLORUNE_AVX2_VARIANT)
namespace avx2 {
void walk_window_variant(MachineState& machine, InputWindow& input, OutputBuffer& out,
                         const Options& options);  // state_machine_avx2.cpp
}  // namespace avx2
#endif

WalkWindow choose_walk(bool baseline_only) {
#if defined(COLORUNE_AVX2_VARIANT)
  __builtin_cpu_init();  // the library may be called before the constructor that does it
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                    __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  if (avx2 && !baseline_only) return avx2::walk_window_variant;
#else
  (void)baseline_only;
#endif
  return baseline::walk_window_variant;
}

void close_open_element(const TokenState& token, OutputBuffer& out) {
  const OpenElements open = open_elements(token.context);
  for (std::size_t i = open.count; i > 0; --i) write_tag(out, close_tag(open.elements[i - 1]));
}
