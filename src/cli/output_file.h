#ifndef COLORUNE_CLI_OUTPUT_FILE_H_
#define COLORUNE_CLI_OUTPUT_FILE_H_

#include <cstdio>
#include <string>

// Where the conversion goes, and how a file named with -o is replaced only when
// the run succeeds. Every difference between the platforms' file systems is in
// output_file.cpp.

struct OutputFile {
  std::FILE* stream = nullptr;
  std::string target;     // the regular file the output replaces once it is complete
  std::string temporary;  // where it is written meanwhile; empty when written directly
};

enum class OpenResult { kOpened, kIsInput, kFailed };

/// Opens the output named [name]. A regular file, or a name that does not exist
/// yet, is written as a new temporary file beside it (a symbolic link: beside
/// the file it points to), which close_output renames over it, so a failed run
/// leaves it as it was. Anything else (a device, a FIFO), or a directory where no
/// temporary file can be made, is written directly. kIsInput when [name] is the
/// file [input] reads: nothing is opened then.
OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output);

/// Chooses standard output; kIsInput when it is a regular file that is the
/// non-empty file [input] reads (as with "colorune a.c >> a.c"), which the run
/// would read back as it writes.
OpenResult open_standard_output(std::FILE* input, OutputFile& output);

/// Closes the output. With [keep], a temporary file then replaces the target,
/// keeping its permission bits; without it (the run failed), the temporary file
/// is removed and the target is untouched. False when closing or replacing
/// failed.
bool close_output(OutputFile& output, bool keep);

#endif  // COLORUNE_CLI_OUTPUT_FILE_H_
