#ifndef COLORUNE_CLI_OUTPUT_FILE_H_
#define COLORUNE_CLI_OUTPUT_FILE_H_

#include <cstdio>
#include <string>

// The files of a run: the input, and the output, which is a standard stream, a
// device, or a file that is touched only once the whole conversion has
// succeeded, and then only in its content (its links, owner, group, mode, ACLs
// and flags stay). Every difference between the platforms' file systems is in
// output_file.cpp.

struct PendingReplacement;  // a converted file waiting to replace the named one

struct OutputFile {
  std::FILE* stream = nullptr;
  PendingReplacement* pending = nullptr;  // when the stream is a temporary file
};

enum class OpenResult { kOpened, kIsInput, kFailed };

/// Gives every closed standard descriptor something that cannot be written, so
/// that no file the run opens takes its number. Called first.
void hold_standard_descriptors();

/// Opens the input file [name] (UTF-8 on Windows) for reading; nullptr when it
/// cannot be opened, a directory among them.
std::FILE* open_input_file(const char* name);

/// Opens the output named [name], as the system resolves it. A name that leads
/// to the file standard output or error is (/dev/stdout, /proc/self/fd/1, any
/// spelling) is written through that descriptor as it stands; another file that
/// is not a regular one (a device, a FIFO) directly. An existing regular file is
/// opened for writing without being emptied, and a name that does not exist yet
/// only checked; the conversion goes into a temporary file (beside it where
/// possible, else in the system's temporary directory), which close_output
/// puts in its place. kIsInput when [name] is the file [input] reads: nothing is
/// opened then. kFailed when the output cannot be opened, as when its name's
/// symbolic links loop or the page may not be written.
OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output);

/// Chooses standard output; kIsInput when it is a regular file that is the
/// non-empty file [input] reads (as with "colorune a.c >> a.c"), which the run
/// would read back as it writes.
OpenResult open_standard_output(std::FILE* input, OutputFile& output);

/// Closes the output. With [keep], a temporary file then takes the named
/// file's place: by a rename where that changes nothing but the content, else
/// by copying its content into the file in place (room reserved first, no other
/// run writing into it, no signal ending the run halfway). Without [keep] (the
/// run failed) the temporary file is removed and the named file is untouched.
/// False when closing or replacing failed.
bool close_output(OutputFile& output, bool keep);

#ifdef _WIN32
/// A wide-character argument of the program as UTF-8, the encoding the names
/// are handed on in.
std::string utf8_of(const wchar_t* text);
#endif

#endif  // COLORUNE_CLI_OUTPUT_FILE_H_
