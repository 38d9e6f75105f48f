#ifndef COLORUNE_HIGHLIGHTER_ISA_H_
#define COLORUNE_HIGHLIGHTER_ISA_H_

// The state machine is built once for the processor's baseline and, on x86-64,
// once more for AVX2 (state_machine_avx2.cpp); walk_window takes the faster one
// the processor can run. The inline functions of the headers it uses are put in
// a namespace named after the variant being built, so that the linker, which
// keeps one copy of each inline function, never hands the baseline code a copy
// built for AVX2.
#ifndef COLORUNE_ISA
#define COLORUNE_ISA baseline
#endif

#endif  // COLORUNE_HIGHLIGHTER_ISA_H_
