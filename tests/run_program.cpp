#include "run_program.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "colorune-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

fs::path ScratchDir::write(const std::string& name, const std::string& bytes) const {
  const fs::path file = path_ / name;
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

RunResult run_program(std::vector<std::string> argv_strings, const fs::path& dir, bool close_stdout) {
  // Standard output and error go to files outside [dir], so that a test can
  // compare the directory's listing.
  ScratchDir capture;
  const fs::path out_file = capture.path() / "stdout";
  const fs::path err_file = capture.path() / "stderr";

  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int null_in = open("/dev/null", O_RDONLY);
    const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(null_in, 0);
    dup2(out, 1);
    dup2(err, 2);
    close(null_in);
    close(out);
    close(err);
    if (close_stdout) close(1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  RunResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.out = read_file(out_file);
  result.err = read_file(err_file);
  return result;
}

}  // namespace

RunResult run_colorune(const std::vector<std::string>& args, const fs::path& dir, bool close_stdout) {
  std::vector<std::string> argv = {COLORUNE_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_program(argv, dir, close_stdout);
}

RunResult run_shell(const std::string& script, const fs::path& dir) {
  setenv("colorune", COLORUNE_BINARY, 1);
  return run_program({"/bin/sh", "-c", script}, dir, false);
}
