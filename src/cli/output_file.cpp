#include "cli/output_file.h"

#include <fcntl.h>

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// What tells one file from another, whatever name it is reached by.
struct FileId {
  bool exists = false;
  bool regular = false;  // a regular file, not a device, FIFO or directory
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  unsigned mode = 0;  // permission bits (POSIX)
  unsigned owner = 0;
  unsigned group = 0;
};

bool same_file(const FileId& a, const FileId& b) {
  return a.exists && b.exists && a.device == b.device && a.index == b.index;
}

#ifdef _WIN32

FileId id_of_handle(HANDLE handle) {
  FileId id;
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return id;
  id.exists = true;
  id.regular = GetFileType(handle) == FILE_TYPE_DISK && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  id.device = info.dwVolumeSerialNumber;
  id.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  id.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return id;
}

FileId id_of_stream(std::FILE* stream) {
  return id_of_handle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

// Opened for its attributes only, so every spelling of the name the file system
// accepts ("IN.C", ".\in.c") reaches the same file.
FileId id_of_name(const std::string& name) {
  const HANDLE handle = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const FileId id = id_of_handle(handle);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return id;
}

std::string resolve_links(const char* name) { return name; }

bool is_writable(const std::string& name) { return _access(name.c_str(), 2) == 0; }

unsigned long process_id() { return static_cast<unsigned long>(_getpid()); }

std::FILE* create_exclusive(const std::string& name, const FileId&) {
  const int fd = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* stream = _fdopen(fd, "w");
  if (stream == nullptr) {
    _close(fd);
    _unlink(name.c_str());
  }
  return stream;
}

bool replace_file(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void guard_temporary(const std::string&) {}

#else

FileId id_of_stat(int result, const struct stat& info) {
  FileId id;
  if (result != 0) return id;
  id.exists = true;
  id.regular = S_ISREG(info.st_mode);
  id.device = static_cast<std::uint64_t>(info.st_dev);
  id.index = static_cast<std::uint64_t>(info.st_ino);
  id.size = static_cast<std::uint64_t>(info.st_size);
  id.mode = static_cast<unsigned>(info.st_mode & 07777);
  id.owner = info.st_uid;
  id.group = info.st_gid;
  return id;
}

FileId id_of_stream(std::FILE* stream) {
  struct stat info {};
  const int result = fstat(fileno(stream), &info);
  return id_of_stat(result, info);
}

FileId id_of_name(const std::string& name) {
  struct stat info {};
  const int result = stat(name.c_str(), &info);
  return id_of_stat(result, info);
}

// The file a chain of symbolic links ends at, existing or not: that is the file
// to replace, and the links stay links.
std::string resolve_links(const char* name) {
  std::string path = name;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) break;
    const std::string link(target, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    path = (link[0] == '/' || slash == std::string::npos) ? link : path.substr(0, slash + 1) + link;
  }
  return path;
}

bool is_writable(const std::string& name) { return access(name.c_str(), W_OK) == 0; }

unsigned long process_id() { return static_cast<unsigned long>(getpid()); }

std::FILE* create_exclusive(const std::string& name, const FileId& replaced) {
  // 0666 less the umask, as for a file the output creates directly.
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  // The replacement keeps the file's permission bits, and its owner where the
  // user may give it away (the owner first: a change of owner clears set-id bits).
  if (replaced.exists) {
    if (fchown(fd, replaced.owner, replaced.group) != 0) {
      // Not allowed: the new file is the user's, as a copy would be.
    }
    if (fchmod(fd, replaced.mode) != 0) {
      close(fd);
      unlink(name.c_str());
      return nullptr;
    }
  }
  std::FILE* stream = fdopen(fd, "w");
  if (stream == nullptr) {
    close(fd);
    unlink(name.c_str());
  }
  return stream;
}

bool replace_file(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

// A signal that ends the run while the temporary file is written removes it.
char guarded_name[4096];

extern "C" void remove_temporary_and_die(int signal_number) {
  unlink(guarded_name);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void guard_temporary(const std::string& name) {
  if (name.size() >= sizeof guarded_name) return;
  std::memcpy(guarded_name, name.c_str(), name.size() + 1);
  // SIGXFSZ: past the file size limit. An ignored signal stays ignored: the
  // write then fails, and close_output removes the file.
  for (int signal_number : {SIGHUP, SIGINT, SIGTERM, SIGXFSZ}) {
    if (std::signal(signal_number, remove_temporary_and_die) == SIG_IGN) std::signal(signal_number, SIG_IGN);
  }
}

#endif

}  // namespace

OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output) {
  if (*name == '\0') return OpenResult::kFailed;  // no file has an empty name
  const std::string target = resolve_links(name);
  const FileId existing = id_of_name(target);
  if (same_file(existing, id_of_stream(input))) return OpenResult::kIsInput;

  if (!existing.exists || existing.regular) {
    // A file the user may not write is refused as opening it would be.
    if (existing.exists && !is_writable(target)) return OpenResult::kFailed;
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string temporary = target + ".colorune-" + std::to_string(process_id());
      if (attempt > 0) temporary += "-" + std::to_string(attempt);
      temporary += ".tmp";
      output.stream = create_exclusive(temporary, existing);
      if (output.stream != nullptr) {
        guard_temporary(temporary);
        output.target = target;
        output.temporary = temporary;
        return OpenResult::kOpened;
      }
      if (id_of_name(temporary).exists) continue;  // taken: try another name
      break;  // no file can be made there: write in place
    }
  }
  output.stream = std::fopen(name, "w");
  return output.stream != nullptr ? OpenResult::kOpened : OpenResult::kFailed;
}

OpenResult open_standard_output(std::FILE* input, OutputFile& output) {
  // When standard output was closed, the input may have been given its number:
  // then there is no output to check, and writing fails.
  const FileId out = id_of_stream(stdout);
  if (fileno(stdout) != fileno(input) && out.regular && out.size > 0 && same_file(out, id_of_stream(input))) {
    return OpenResult::kIsInput;
  }
  output.stream = stdout;
  return OpenResult::kOpened;
}

bool close_output(OutputFile& output, bool keep) {
  const bool closed = std::fclose(output.stream) == 0;  // flushes: may fail too
  output.stream = nullptr;
  if (output.temporary.empty()) return closed;
  const bool replaced = closed && keep && replace_file(output.temporary, output.target);
  if (!replaced) std::remove(output.temporary.c_str());
  return closed && (replaced || !keep);
}
