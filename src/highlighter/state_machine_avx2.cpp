// The state machine built for x86-64 processors with AVX2, BMI1, BMI2 and
// POPCNT: blocks classified 32 bytes per instruction, bit counts in one
// instruction. walk_window (state_machine.cpp) takes it when the processor has
// them; the build gives this file alone the flags for them.
#define COLORUNE_ISA avx2
#include "highlighter/state_machine_body.h"
