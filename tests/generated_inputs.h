#ifndef COLORUNE_TESTS_GENERATED_INPUTS_H_
#define COLORUNE_TESTS_GENERATED_INPUTS_H_

#include <random>
#include <string>
#include <vector>

#include "highlighter/options.h"

/// Up to a few hundred bytes made of the pieces that matter to the scanners and
/// the emitter: quotes, slashes, stars, backslashes, "#", markup characters,
/// tabs, line feeds, carriage returns, NUL, lead bytes (also as the last byte),
/// whole and broken UTF-8 sequences, words around the 255-character cut.
std::string generate_tricky_input(std::mt19937& random);

/// Every combination of line numbers, no-pre, UTF-8 and the modern reading,
/// with tab widths 1, 4, 7 and 99.
std::vector<Options> all_modes();

/// The options as command-line text, for messages.
std::string describe(const Options& options);

#endif  // COLORUNE_TESTS_GENERATED_INPUTS_H_
