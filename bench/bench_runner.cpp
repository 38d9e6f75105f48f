// Runs the real program over generated C and C++ text of 1 KB, 1 MB and 100 MB,
// and over real code (the C and C++ files of a folder, concatenated, four times
// over), in every mode, and prints for each the median wall time and throughput
// (MB/s of input), the peak resident size, and the ratio to "cat FILE >
// /dev/null" and "cat FILE > OUTFILE" measured in the same run; with a second
// program, also the ratio of the program's time to that one's, in each mode.
//
// Then the library called as a documentation build calls it: colorune_to_html
// (its allocation and release included) on snippets of 100 bytes, 5 KB and
// 200 KB, in microseconds a call.
//
// Then the shapes that once made it slow, or could: long runs of one kind of byte
// in each context, 10 MB each, whose throughput should be that of real code or
// better (a cliff shows as a number far below the others).
//
//   colorune_bench PROGRAM [--corpus FOLDER] [--against OTHER_PROGRAM] [--work FOLDER]
//   colorune_bench build/colorune --corpus ../shared/corpus

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "colorune.h"
#include "generate_source.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
  double seconds;  // median wall time
  long peak_kib;   // peak resident size
};

struct Command {
  std::vector<char*> args;
  explicit Command(const std::vector<std::string>& argv) {
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
  }
};

// Waits for [pid]; its peak resident size in KiB.
long wait_for(pid_t pid, const char* name) {
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", name);
    std::exit(1);
  }
  return usage.ru_maxrss;
}

// One run with standard output to [out_path] (truncated), timed. posix_spawn
// rather than fork, so that copying this process does not count as the
// program's time; a spawned child's peak resident size includes this process's,
// though, so it is not measured here.
double timed_run(const Command& command, const std::string& out_path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, command.args[0], &actions, nullptr, command.args.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", command.args[0]);
    std::exit(1);
  }
  wait_for(pid, command.args[0]);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double>(end - start).count();
}

// One run in a forked child of its own: its peak resident size in KiB.
long measured_memory_run(const Command& command, const std::string& out_path) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    close(out);
    execv(command.args[0], command.args.data());
    _exit(127);
  }
  return wait_for(pid, command.args[0]);
}

Measure measure(const std::vector<std::string>& argv, const std::string& out_path, int runs) {
  const Command command(argv);
  // The first run also warms the page cache and the program's pages.
  const long peak = measured_memory_run(command, out_path);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(timed_run(command, out_path));
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], peak};
}

// The C and C++ files under [folder], in name order, concatenated [times] times.
std::string real_code(const fs::path& folder, int times) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    for (const char* wanted : {".c", ".h", ".cc", ".cpp", ".hpp", ".cxx", ".hh"}) {
      if (entry.is_regular_file() && extension == wanted) files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::string once;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    once.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string text;
  for (int i = 0; i < times; ++i) text += once;
  return text;
}

struct Mode {
  const char* name;
  std::vector<std::string> options;
  bool to_file;
};

// A shape: what comes first, then a unit repeated to 10 MB.
struct Shape {
  const char* name;
  std::string prefix;
  std::string unit;
};

const std::vector<Shape> kShapes = {
    {"digits", "", "1"},
    {"_ then digits", "_", "1"},
    {"lines of 70000 digits", "", std::string(70000, '7') + "\n"},
    {"letters (one long word)", "", "a"},
    {"spaces", "", " "},
    {"tabs", "", "\t"},
    {"line feeds", "", "\n"},
    {"stars in a comment", "/*", "*"},
    {"slashes in a comment", "/*", "/"},
    {"backslashes in a literal", "\"", "\\"},
    {"quotes", "", "\""},
    {"apostrophes", "", "'"},
    {"#", "", "#"},
    {"slashes", "", "/"},
    {"&", "", "&"},
    {"<", "", "<"},
    {"high bytes", "", "\x82"},
    {"Shift_JIS pairs", "", "\x82\xa0"},
    {"UTF-8 (with -u too)", "", "\xe3\x81\x82"},
    {"NUL", "", std::string(1, '\0')},
    {"CR", "", "\r"},
    {"keywords", "", "int "},
    {"256-letter words", "", std::string(256, 'w') + " "},
    {"numbers 1.1.1 (-m)", "", "1."},
    {"apostrophes in a number (-m)", "1", "'0"},
    {") in a raw literal (-m)", "R\"abcdefghijklmnop(", ")abcdefghijklmno"},
    {"raw literal starts (-m)", "", "R\"x"},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PROGRAM [--corpus FOLDER] [--against OTHER_PROGRAM] [--work FOLDER]\n", argv[0]);
    return 2;
  }
  const std::string program = fs::absolute(argv[1]).string();
  fs::path work = fs::temp_directory_path() / "colorune-bench";
  fs::path corpus;
  std::string against;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--corpus") corpus = argv[i + 1];
    else if (option == "--against") against = fs::absolute(argv[i + 1]).string();
    else if (option == "--work") work = argv[i + 1];
  }
  fs::create_directories(work);
  const std::string out_file = (work / "out.html").string();
  const std::string cat = fs::exists("/usr/bin/cat") ? "/usr/bin/cat" : "/bin/cat";

  const std::vector<Mode> modes = {
      {"pre", {}, false},
      {"pre -l", {"-l"}, false},
      {"no-pre", {"-p"}, false},
      {"no-pre -l", {"-p", "-l"}, false},
      {"pre -t8", {"-t8"}, false},
      {"pre -u", {"-u"}, false},
      {"pre -m", {"-m"}, false},
      {"no-pre -l -m", {"-p", "-l", "-m"}, false},
      {"pre, to a file", {}, true},
  };
  struct Size {
    const char* name;
    std::size_t bytes;
    int runs;
    bool real;
  };
  std::vector<Size> sizes = {{"1 KB", 1000, 41, false}, {"1 MB", 1000000, 21, false}, {"100 MB", 100000000, 7, false}};
  if (!corpus.empty()) sizes.push_back({"real", 0, 11, true});

  std::printf("%-7s %-15s %10s %10s %9s %9s %9s%s\n", "input", "mode", "median ms", "MB/s", "peak KiB",
              "x cat>null", "x cat>file", against.empty() ? "" : "   x other");
  for (Size& size : sizes) {
    const fs::path input = work / ("input-" + std::to_string(size.bytes) + (size.real ? "-real.c" : ".c"));
    {
      const std::string text = size.real ? real_code(corpus, 4) : generate_source(size.bytes);
      size.bytes = text.size();
      std::ofstream(input, std::ios::binary) << text;
    }
    const Measure cat_null = measure({cat, input.string()}, "/dev/null", size.runs);
    const Measure cat_file = measure({cat, input.string()}, out_file, size.runs);
    std::printf("%-7s %-15s %10.3f %10.0f %9ld\n", size.name, "cat > /dev/null", cat_null.seconds * 1e3,
                static_cast<double>(size.bytes) / cat_null.seconds / 1e6, cat_null.peak_kib);
    std::printf("%-7s %-15s %10.3f %10.0f %9ld\n", size.name, "cat > OUTFILE", cat_file.seconds * 1e3,
                static_cast<double>(size.bytes) / cat_file.seconds / 1e6, cat_file.peak_kib);
    for (const Mode& mode : modes) {
      std::vector<std::string> args = {program, input.string()};
      args.insert(args.end(), mode.options.begin(), mode.options.end());
      if (mode.to_file) {
        args.push_back("-o");
        args.push_back(out_file);
      }
      const Measure m = measure(args, "/dev/null", size.runs);
      std::printf("%-7s %-15s %10.3f %10.0f %9ld %9.2f %9.2f", size.name, mode.name, m.seconds * 1e3,
                  static_cast<double>(size.bytes) / m.seconds / 1e6, m.peak_kib, m.seconds / cat_null.seconds,
                  m.seconds / cat_file.seconds);
      if (!against.empty()) {
        args[0] = against;
        std::printf(" %9.2f", m.seconds / measure(args, "/dev/null", size.runs).seconds);
      }
      std::printf("\n");
    }
    std::fflush(stdout);
  }

  // Snippets from the real code where it is given, else from generated code,
  // each converted many times over; the best of five rounds counts.
  const std::string snippets = corpus.empty() ? generate_source(1000000) : real_code(corpus, 1);
  std::printf("\n%-30s %12s %12s %12s\n", "colorune_to_html, a call on", "us a call", "MB/s", "-p -l -m us");
  for (const std::size_t bytes : {std::size_t{100}, std::size_t{5000}, std::size_t{200000}}) {
    const int calls = static_cast<int>(20000000 / (bytes + 1000));
    std::printf("%-30s", (std::to_string(bytes) + " bytes").c_str());
    for (const unsigned options : {0u, static_cast<unsigned>(COLORUNE_NO_PRE | COLORUNE_LINE_NUMBERS | COLORUNE_MODERN)}) {
      double best = 1e9;
      for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int call = 0; call < calls; ++call) {
          // A different snippet each call, as in a real build.
          const std::size_t at = (static_cast<std::size_t>(call) * 7919) % (snippets.size() - bytes);
          char* html = nullptr;
          std::size_t length = 0;
          if (colorune_to_html(snippets.data() + at, bytes, options, 4, &html, &length) != COLORUNE_OK) return 1;
          colorune_free(html);
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / calls);
      }
      if (options == 0) std::printf(" %12.2f %12.0f", best * 1e6, static_cast<double>(bytes) / best / 1e6);
      else std::printf(" %12.2f", best * 1e6);
    }
    std::printf("\n");
    std::fflush(stdout);
  }

  std::printf("\n%-30s %12s %12s\n", "shape (10 MB)", "pre MB/s", "-p -l -m MB/s");
  for (const Shape& shape : kShapes) {
    std::string text = shape.prefix;
    while (text.size() < 10000000) text += shape.unit;
    const fs::path input = work / "shape.c";
    std::ofstream(input, std::ios::binary) << text;
    std::printf("%-30s", shape.name);
    const std::vector<std::vector<std::string>> option_sets = {{}, {"-p", "-l", "-m"}};
    for (const std::vector<std::string>& options : option_sets) {
      std::vector<std::string> args = {program, input.string()};
      args.insert(args.end(), options.begin(), options.end());
      if (std::string(shape.name).find("UTF-8") != std::string::npos) args.push_back("-u");
      const Measure m = measure(args, "/dev/null", 5);
      std::printf(" %12.0f", static_cast<double>(text.size()) / m.seconds / 1e6);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  fs::remove_all(work);
  return 0;
}
