#ifndef COLORUNE_TESTS_RUN_PROGRAM_H_
#define COLORUNE_TESTS_RUN_PROGRAM_H_

#include <filesystem>
#include <string>
#include <vector>

struct RunResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

/// Runs the built colorune with [args] in directory [dir], standard input from
/// /dev/null; with [close_stdout] its standard output is closed instead.
RunResult run_colorune(const std::vector<std::string>& args, const std::filesystem::path& dir,
                       bool close_stdout = false);

/// Runs [script] with /bin/sh in directory [dir], where "$colorune" names the
/// built program: for redirections and limits that only a shell sets up.
RunResult run_shell(const std::string& script, const std::filesystem::path& dir);

/// A fresh empty directory for one test, removed by its destructor.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  /// Writes [bytes] to the file [name] in the directory and returns its path.
  std::filesystem::path write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

/// The whole content of a file, as bytes.
std::string read_file(const std::filesystem::path& path);

#endif  // COLORUNE_TESTS_RUN_PROGRAM_H_
