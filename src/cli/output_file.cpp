#include "cli/output_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <cwchar>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif
#endif

namespace {

// What tells one file from another, whatever name it is reached by.
struct FileId {
  bool exists = false;
  bool regular = false;  // a regular file, not a device, FIFO or directory
  bool directory = false;
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
};

bool same_file(const FileId& a, const FileId& b) {
  return a.exists && b.exists && a.device == b.device && a.index == b.index;
}

// The output is the input when it is a regular file that is the non-empty
// input itself: written, it would destroy the source, or feed the output back
// into the input while it is read. (Emptied by the shell, "a.c > a.c", the
// input is converted as the empty file it now is.)
bool is_the_input(const FileId& out, const FileId& input) { return out.regular && out.size > 0 && same_file(out, input); }

// Copies bytes between files in pieces of this size: after the conversion, so
// the conversion's memory stays as it was.
char copy_buffer[1 << 16];

}  // namespace

#ifdef _WIN32

// ---- Windows: names are wide strings; the program's arguments come as UTF-8
// (see main.cpp), so that a name outside the ANSI code page can be opened.

struct PendingReplacement {
  std::wstring temporary;
  std::wstring target;
};

std::string utf8_of(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(size - 1));
  return result;
}

namespace {

std::wstring wide_of(const char* text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
  result.resize(static_cast<std::size_t>(size - 1));
  return result;
}

FileId id_of_handle(HANDLE handle) {
  FileId id;
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return id;
  id.exists = true;
  id.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  id.regular = GetFileType(handle) == FILE_TYPE_DISK && !id.directory;
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
HANDLE open_for_attributes(const std::wstring& name) {
  return CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FileId id_of_name(const std::wstring& name) {
  const HANDLE handle = open_for_attributes(name);
  const FileId id = id_of_handle(handle);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return id;
}

DWORD links_of(const std::wstring& name) {
  const HANDLE handle = open_for_attributes(name);
  BY_HANDLE_FILE_INFORMATION info;
  const DWORD links = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info) ? info.nNumberOfLinks : 0;
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return links;
}

// An interrupted run (Ctrl+C, Ctrl+Break, the console closed) removes its
// temporary file, then ends as it would have.
// The handler runs in a thread of its own: the lock keeps it waiting while the
// file is made and its name recorded, so that it never finds a file it does not
// know of yet.
wchar_t guarded_name[MAX_PATH * 2];
SRWLOCK guarded_lock = SRWLOCK_INIT;

BOOL WINAPI remove_temporary(DWORD) {
  AcquireSRWLockExclusive(&guarded_lock);
  if (guarded_name[0] != L'\0') DeleteFileW(guarded_name);
  ReleaseSRWLockExclusive(&guarded_lock);
  return FALSE;
}

void guard_temporary(const std::wstring& name) {
  if (name.size() >= sizeof guarded_name / sizeof guarded_name[0]) return;
  std::wmemcpy(guarded_name, name.c_str(), name.size() + 1);
}

void unguard_temporary() {
  SetConsoleCtrlHandler(remove_temporary, FALSE);
  AcquireSRWLockExclusive(&guarded_lock);
  guarded_name[0] = L'\0';
  ReleaseSRWLockExclusive(&guarded_lock);
}

int create_exclusive(const std::wstring& name) {
  return _wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
}

// A temporary file beside [target], or else in the system's temporary folder;
// -1 when neither can be made, or when a new file could not be made beside it
// either.
int create_temporary(const std::wstring& target, bool target_exists, std::wstring& temporary) {
  const std::wstring pid = std::to_wstring(_getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + L".colorune-" + pid + (attempt > 0 ? L"-" + std::to_wstring(attempt) : L"") + L".tmp";
    const int fd = create_exclusive(temporary);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;  // taken: another name
  }
  // A new file the folder refuses (or a folder that is not there) could not be
  // made at the end either.
  if (!target_exists && (errno == ENOENT || errno == EACCES)) return -1;
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = std::wstring(folder) + L"colorune-" + pid + (attempt > 0 ? L"-" + std::to_wstring(attempt) : L"") + L".tmp";
    const int fd = create_exclusive(temporary);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The converted bytes copied into [target] in place: its identity, links and
// security stay. Room is made first, so that a full disk refuses before the
// old content is touched.
bool copy_in_place(const std::wstring& temporary, const std::wstring& target) {
  const HANDLE from = CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (from == INVALID_HANDLE_VALUE) return false;
  const HANDLE to = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  bool ok = to != INVALID_HANDLE_VALUE;
  LARGE_INTEGER size{};
  LARGE_INTEGER old_size{};
  ok = ok && GetFileSizeEx(from, &size) && GetFileSizeEx(to, &old_size);
  if (ok && size.QuadPart > old_size.QuadPart) {
    ok = SetFilePointerEx(to, size, nullptr, FILE_BEGIN) && SetEndOfFile(to);
  }
  LARGE_INTEGER start{};
  ok = ok && SetFilePointerEx(to, start, nullptr, FILE_BEGIN);
  DWORD got = 0;
  while (ok && ReadFile(from, copy_buffer, sizeof copy_buffer, &got, nullptr) && got > 0) {
    DWORD put = 0;
    ok = WriteFile(to, copy_buffer, got, &put, nullptr) && put == got;
  }
  ok = ok && SetFilePointerEx(to, size, nullptr, FILE_BEGIN) && SetEndOfFile(to);
  CloseHandle(from);
  if (to != INVALID_HANDLE_VALUE) ok = CloseHandle(to) && ok;
  return ok;
}

}  // namespace

std::FILE* open_input_file(const char* name) { return _wfopen(wide_of(name).c_str(), L"r"); }

OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output) {
  if (*name == '\0') return OpenResult::kFailed;  // no file has an empty name
  const std::wstring target = wide_of(name);
  const FileId existing = id_of_name(target);
  if (same_file(existing, id_of_stream(input))) return OpenResult::kIsInput;
  if (existing.directory) return OpenResult::kFailed;
  if (existing.exists && !existing.regular) {  // a device, such as NUL or CON
    output.stream = _wfopen(target.c_str(), L"w");
    return output.stream != nullptr ? OpenResult::kOpened : OpenResult::kFailed;
  }
  // A file the user may not write is refused as opening it would be.
  if (existing.exists && _waccess(target.c_str(), 2) != 0) return OpenResult::kFailed;
  std::wstring temporary;
  SetConsoleCtrlHandler(remove_temporary, TRUE);
  AcquireSRWLockExclusive(&guarded_lock);
  const int fd = create_temporary(target, existing.exists, temporary);
  if (fd >= 0) guard_temporary(temporary);
  ReleaseSRWLockExclusive(&guarded_lock);
  if (fd < 0) {
    SetConsoleCtrlHandler(remove_temporary, FALSE);
    return OpenResult::kFailed;
  }
  output.stream = _wfdopen(fd, L"w");
  if (output.stream == nullptr) {
    _close(fd);
    DeleteFileW(temporary.c_str());
    unguard_temporary();
    return OpenResult::kFailed;
  }
  output.pending = new PendingReplacement{temporary, target};
  return OpenResult::kOpened;
}

OpenResult open_standard_output(std::FILE* input, OutputFile& output) {
  // When standard output was closed, the input may have been given its number:
  // then there is no output to check, and writing fails.
  if (_fileno(stdout) != _fileno(input) && is_the_input(id_of_stream(stdout), id_of_stream(input))) {
    return OpenResult::kIsInput;
  }
  output.stream = stdout;
  return OpenResult::kOpened;
}

bool close_output(OutputFile& output, bool keep) {
  const bool closed = std::fclose(output.stream) == 0;  // flushes: may fail too
  output.stream = nullptr;
  PendingReplacement* const pending = output.pending;
  if (pending == nullptr) return closed;
  output.pending = nullptr;
  bool replaced = false;
  if (closed && keep) {
    const wchar_t* const from = pending->temporary.c_str();
    const wchar_t* const to = pending->target.c_str();
    if (!id_of_name(pending->target).exists) {
      replaced = MoveFileExW(from, to, MOVEFILE_COPY_ALLOWED) != 0;
    } else {
      // ReplaceFileW keeps the named file's attributes and security; a file
      // with other links, or one it cannot replace, gets the content copied in.
      replaced = links_of(pending->target) == 1 &&
                 ReplaceFileW(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
      if (!replaced) replaced = copy_in_place(pending->temporary, pending->target);
    }
  }
  DeleteFileW(pending->temporary.c_str());  // gone already when it was moved
  unguard_temporary();
  delete pending;
  return closed && (replaced || !keep);
}

#else

// ---- POSIX: the temporary file and the named one are reached through open
// directories, so that a directory moved during the run is no trap.

struct PendingReplacement {
  int directory = -1;          // the temporary file's
  std::string temporary;
  int target_directory = -1;   // the named file's
  std::string target;
  bool beside = false;         // both in the same directory
  bool renamed = false;        // the temporary file has become the named one
};

namespace {

FileId id_of_stat(const struct stat& info) {
  FileId id;
  id.exists = true;
  id.regular = S_ISREG(info.st_mode);
  id.directory = S_ISDIR(info.st_mode);
  id.device = static_cast<std::uint64_t>(info.st_dev);
  id.index = static_cast<std::uint64_t>(info.st_ino);
  id.size = static_cast<std::uint64_t>(info.st_size);
  return id;
}

FileId id_of_descriptor(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 ? id_of_stat(info) : FileId{};
}

// The descriptor a name of a standard stream stands for: /dev/stdout and the
// like, /dev/fd/N, /proc/self/fd/N. Opened, such a name would reach the file
// behind the descriptor from its start and truncate it.
bool names_descriptor(const std::string& path, int& fd) {
  if (path == "/dev/stdin" || path == "/dev/stdout" || path == "/dev/stderr") {
    fd = path == "/dev/stdin" ? 0 : path == "/dev/stdout" ? 1 : 2;
    return true;
  }
  const std::string own = "/proc/" + std::to_string(getpid()) + "/fd/";
  for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"), own}) {
    if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size()) continue;
    const std::string digits = path.substr(prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    fd = std::atoi(digits.c_str());
    return true;
  }
  return false;
}

// Follows the chain of symbolic links from [name] to the file it ends at,
// existing or not: that is the file to replace, and the links stay links.
// False when the links loop; [fd] is set when the chain reaches the name of a
// standard stream.
bool resolve_links(const char* name, std::string& path, int& fd) {
  path = name;
  fd = -1;
  for (int hops = 0; hops < 40; ++hops) {
    if (names_descriptor(path, fd)) return true;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    char link[4096];
    const ssize_t length = readlink(path.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof link) return true;
    const std::string target(link, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    path = (target[0] == '/' || slash == std::string::npos) ? target : path.substr(0, slash + 1) + target;
  }
  return false;
}

// A signal that ends the run while a temporary file exists removes it first.
int guarded_directory = -1;
char guarded_name[4096];
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,    SIGTERM, SIGQUIT, SIGPIPE, SIGXCPU,
                                  SIGXFSZ, SIGALRM,   SIGVTALRM, SIGPROF, SIGUSR1, SIGUSR2};

extern "C" void remove_temporary_and_end(int signal_number) {
  if (guarded_name[0] != '\0') unlinkat(guarded_directory, guarded_name, 0);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void guard_temporary(int directory, const std::string& name) {
  if (name.size() >= sizeof guarded_name) return;
  guarded_directory = directory;
  std::memcpy(guarded_name, name.c_str(), name.size() + 1);
  // An ignored signal stays ignored (SIGXFSZ then makes the write fail, and the
  // run removes the file itself).
  for (int signal_number : kEndingSignals) {
    if (std::signal(signal_number, remove_temporary_and_end) == SIG_IGN) std::signal(signal_number, SIG_IGN);
  }
}

void unguard_temporary() { guarded_name[0] = '\0'; }

// Holds the signals that end the run for as long as it lives: from before the
// temporary file is made until the handler knows its name, so that no signal
// can end the run in between and leave the file behind. Held signals arrive
// when it ends.
struct HeldSignals {
  sigset_t previous;
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal_number : kEndingSignals) sigaddset(&held, signal_number);
    sigprocmask(SIG_BLOCK, &held, &previous);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;
};

int create_exclusive(int directory, const std::string& name) {
  return openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

// Makes the temporary file: beside the named file when its directory allows,
// else in the system's temporary directory. False when neither can be made, or
// when a new file could not be made beside it either.
bool create_temporary(PendingReplacement& pending, bool target_exists, int& fd) {
  const std::string pid = std::to_string(getpid());
  const auto numbered = [&](const std::string& stem, int attempt) {
    std::string name = stem;
    name += pid;
    if (attempt > 0) {
      name += '-';
      name += std::to_string(attempt);
    }
    name += ".tmp";
    return name;
  };
  for (int attempt = 0; attempt < 100; ++attempt) {
    pending.temporary = numbered(pending.target + ".colorune-", attempt);
    fd = create_exclusive(pending.target_directory, pending.temporary);
    if (fd >= 0) {
      pending.directory = pending.target_directory;
      pending.beside = true;
      return true;
    }
    if (errno != EEXIST) break;  // taken, by anything (a dangling link too): another name
  }
  // A new file the directory refuses could not be made at the end either.
  if (!target_exists && (errno == EACCES || errno == EPERM || errno == EROFS)) return false;
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  pending.directory = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (pending.directory < 0) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    pending.temporary = numbered("colorune-", attempt);
    fd = create_exclusive(pending.directory, pending.temporary);
    if (fd >= 0 || errno != EEXIST) return fd >= 0;
  }
  return false;
}

#if defined(__linux__)
bool has_extended_attributes(const PendingReplacement& pending) {
  // Read through /proc/self/fd: the directory may have moved.
  const std::string path = "/proc/self/fd/" + std::to_string(pending.target_directory) + "/" + pending.target;
  const ssize_t size = listxattr(path.c_str(), nullptr, 0);
  return size != 0;  // some, or none known (an error): not to be lost either way
}
#else
bool has_extended_attributes(const PendingReplacement&) { return false; }
#endif

// Whether renaming the temporary file over the named one changes nothing but
// the content: one link, an owner, group and mode the new file can carry (it
// is given them here), no ACL or other extended attribute, and a directory
// that lets this user replace it.
bool rename_keeps_all(const PendingReplacement& pending, const struct stat& target, int temporary_fd) {
  if (!pending.beside || target.st_nlink != 1 || has_extended_attributes(pending)) return false;
  struct stat directory {};
  if (fstat(pending.target_directory, &directory) != 0) return false;
  const uid_t user = geteuid();
  if ((directory.st_mode & S_ISVTX) && user != 0 && target.st_uid != user && directory.st_uid != user) return false;
  // The owner first: a change of owner clears the set-id bits.
  return fchown(temporary_fd, target.st_uid, target.st_gid) == 0 && fchmod(temporary_fd, target.st_mode & 07777) == 0;
}

// Copies the converted bytes into the open file [to]: room first, so that a
// full disk refuses before the old content is touched; then the bytes, then the
// new length.
bool copy_into(int to, const PendingReplacement& pending) {
  const int from = openat(pending.directory, pending.temporary.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) return false;
  struct stat source {};
  bool ok = fstat(from, &source) == 0;
  const off_t size = source.st_size;
  if (ok && size > 0) {
    const int reserved = posix_fallocate(to, 0, size);
    // A file system that cannot reserve room is written without.
    ok = reserved == 0 || reserved == EOPNOTSUPP || reserved == EINVAL || reserved == ENODEV;
  }
  for (off_t at = 0; ok && at < size;) {
    const ssize_t got = pread(from, copy_buffer, sizeof copy_buffer, at);
    ok = got > 0;
    for (ssize_t done = 0; ok && done < got;) {
      const ssize_t put = pwrite(to, copy_buffer + done, static_cast<std::size_t>(got - done), at + done);
      ok = put > 0;
      done += ok ? put : 0;
    }
    at += got;
  }
  ok = ok && ftruncate(to, size) == 0;
  close(from);
  return ok;
}

// Puts the converted temporary file in the named file's place; [temporary_fd]
// is still open for writing.
bool commit(PendingReplacement& pending, int temporary_fd) {
  struct stat target {};
  if (fstatat(pending.target_directory, pending.target.c_str(), &target, 0) != 0) {
    if (errno != ENOENT) return false;
    // A new file: 0666 less the umask, as any file the program creates.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(temporary_fd, 0666 & ~mask) != 0) return false;
    if (pending.beside) {
      pending.renamed = renameat(pending.directory, pending.temporary.c_str(), pending.target_directory,
                                 pending.target.c_str()) == 0;
      return pending.renamed;
    }
    const int to = openat(pending.target_directory, pending.target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (to < 0) return false;
    const bool ok = copy_into(to, pending);
    if (close(to) != 0 || !ok) {
      unlinkat(pending.target_directory, pending.target.c_str(), 0);
      return false;
    }
    return true;
  }
  if (!S_ISREG(target.st_mode)) return false;  // something else took its name meanwhile
  if (rename_keeps_all(pending, target, temporary_fd) &&
      renameat(pending.directory, pending.temporary.c_str(), pending.target_directory, pending.target.c_str()) == 0) {
    pending.renamed = true;
    return true;
  }
  // Refused (a bind mount) or not to be renamed over: the content goes in.
  const int to = openat(pending.target_directory, pending.target.c_str(), O_WRONLY | O_CLOEXEC);
  if (to < 0) return false;
  const bool ok = copy_into(to, pending);
  return close(to) == 0 && ok;
}

// -o with the name of a standard stream: written through that descriptor as it
// stands, like standard output, neither replaced nor truncated.
OpenResult open_descriptor(int fd, std::FILE* input, OutputFile& output) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) return OpenResult::kFailed;  // closed, or for reading
  if (fd != fileno(input) && is_the_input(id_of_descriptor(fd), id_of_descriptor(fileno(input)))) {
    return OpenResult::kIsInput;
  }
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  if (copy < 0) return OpenResult::kFailed;
  output.stream = fdopen(copy, "w");  // fdopen never truncates
  if (output.stream == nullptr) {
    close(copy);
    return OpenResult::kFailed;
  }
  return OpenResult::kOpened;
}

}  // namespace

std::FILE* open_input_file(const char* name) { return std::fopen(name, "r"); }

OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output) {
  if (*name == '\0') return OpenResult::kFailed;  // no file has an empty name
  std::string path;
  int stream_fd = -1;
  if (!resolve_links(name, path, stream_fd)) return OpenResult::kFailed;  // the links loop
  if (stream_fd >= 0) return open_descriptor(stream_fd, input, output);

  struct stat info {};
  const bool exists = stat(path.c_str(), &info) == 0;
  if (!exists && errno != ENOENT) return OpenResult::kFailed;  // a loop further on, a directory not to be read ...
  if (exists) {
    if (same_file(id_of_stat(info), id_of_descriptor(fileno(input)))) return OpenResult::kIsInput;
    if (S_ISDIR(info.st_mode)) return OpenResult::kFailed;
    if (!S_ISREG(info.st_mode)) {  // a device or a FIFO: written as the conversion goes
      output.stream = std::fopen(path.c_str(), "w");
      return output.stream != nullptr ? OpenResult::kOpened : OpenResult::kFailed;
    }
    // A file the user may not write is refused as opening it would be.
    if (access(path.c_str(), W_OK) != 0) return OpenResult::kFailed;
  }

  auto* const pending = new PendingReplacement;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  pending->target = slash == std::string::npos ? path : path.substr(slash + 1);
  pending->target_directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int fd = -1;
  bool created = false;
  if (!pending->target.empty() && pending->target_directory >= 0) {
    const HeldSignals held;
    created = create_temporary(*pending, exists, fd);
    if (created) guard_temporary(pending->directory, pending->temporary);
  }
  if (!created || (output.stream = fdopen(fd, "w")) == nullptr) {
    if (fd >= 0) {
      close(fd);
      unlinkat(pending->directory, pending->temporary.c_str(), 0);
      unguard_temporary();
    }
    if (pending->directory >= 0 && pending->directory != pending->target_directory) close(pending->directory);
    if (pending->target_directory >= 0) close(pending->target_directory);
    delete pending;
    return OpenResult::kFailed;
  }
  output.pending = pending;
  return OpenResult::kOpened;
}

OpenResult open_standard_output(std::FILE* input, OutputFile& output) {
  // When standard output was closed, the input may have been given its number:
  // then there is no output to check, and writing fails.
  if (fileno(stdout) != fileno(input) &&
      is_the_input(id_of_descriptor(fileno(stdout)), id_of_descriptor(fileno(input)))) {
    return OpenResult::kIsInput;
  }
  output.stream = stdout;
  return OpenResult::kOpened;
}

bool close_output(OutputFile& output, bool keep) {
  PendingReplacement* const pending = output.pending;
  output.pending = nullptr;
  if (pending == nullptr) {
    const bool closed = std::fclose(output.stream) == 0;  // flushes: may fail too
    output.stream = nullptr;
    return closed;
  }
  bool written = std::fflush(output.stream) == 0 && std::ferror(output.stream) == 0;
  const bool replaced = keep && written && commit(*pending, fileno(output.stream));
  written = std::fclose(output.stream) == 0 && written;
  output.stream = nullptr;
  unguard_temporary();
  if (!pending->renamed) unlinkat(pending->directory, pending->temporary.c_str(), 0);
  if (pending->directory != pending->target_directory) close(pending->directory);
  close(pending->target_directory);
  delete pending;
  return written && (replaced || !keep);
}

#endif
