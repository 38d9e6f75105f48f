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
#include <aclapi.h>  // after windows.h
#else
#include <climits>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
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
  HANDLE page = INVALID_HANDLE_VALUE;  // the existing page, opened for writing; none for a new name
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

HANDLE handle_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

FileId id_of_stream(std::FILE* stream) { return id_of_handle(handle_of(stream)); }

// A console's output: the one character device that takes console writes (of
// nothing, here), which need no more than the right to write.
bool is_console(HANDLE handle) {
  DWORD written = 0;
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
         WriteConsoleW(handle, L"", 0, &written, nullptr);
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

// The existing page, opened for writing as the shell opens it but not emptied;
// others may go on reading, writing or renaming it.
HANDLE open_page(const std::wstring& name) {
  return CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

// Whether [name] opens to the console (CON, CONOUT$ ...); asked only of what
// is no file, since the question opens it for writing.
bool names_console(const std::wstring& name) {
  const HANDLE handle =
      CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool console = is_console(handle);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  return console;
}

// An interrupted run (Ctrl+C, Ctrl+Break, the console closed) removes its
// temporary file, then ends as it would have.
// The handler runs in a thread of its own: the lock keeps it waiting while the
// file is made and its name recorded, and while the page is being written, so
// that it never finds a file it does not know of yet, nor ends the run between
// the page's first byte and its last.
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

// Holds the console's signals for as long as it lives (see guarded_lock).
struct HeldSignals {
  HeldSignals() { AcquireSRWLockExclusive(&guarded_lock); }
  ~HeldSignals() { ReleaseSRWLockExclusive(&guarded_lock); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;
};

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
  if (!target_exists && (errno == ENOENT || errno == EACCES || errno == ENOSPC)) return -1;
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

// Whether the files [a] and [b] have the same owner: replacing one by the
// other changes it otherwise.
bool same_owner(HANDLE a, HANDLE b) {
  PSID owner_a = nullptr;
  PSID owner_b = nullptr;
  PSECURITY_DESCRIPTOR held_a = nullptr;
  PSECURITY_DESCRIPTOR held_b = nullptr;
  const bool same =
      GetSecurityInfo(a, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner_a, nullptr, nullptr, nullptr, &held_a) ==
          ERROR_SUCCESS &&
      GetSecurityInfo(b, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner_b, nullptr, nullptr, nullptr, &held_b) ==
          ERROR_SUCCESS &&
      EqualSid(owner_a, owner_b);
  LocalFree(held_a);
  LocalFree(held_b);
  return same;
}

// Whether ReplaceFileW changes nothing of the page but its content: the name
// still leads to the page, which has one link and the owner a new file gets.
// (It keeps the page's attributes, security and streams itself.)
bool replace_keeps_all(const PendingReplacement& pending) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(pending.page, &info) || info.nNumberOfLinks != 1) return false;
  if (!same_file(id_of_name(pending.target), id_of_handle(pending.page))) return false;
  const HANDLE temporary = CreateFileW(pending.temporary.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
  if (temporary == INVALID_HANDLE_VALUE) return false;
  const bool same = same_owner(pending.page, temporary);
  CloseHandle(temporary);
  return same;
}

// The converted bytes copied into the page in place: its identity, links and
// security stay. Another run's lock is waited for; room is reserved without
// changing the page, so that a full disk refuses before the old content is
// touched; no console signal ends the run between the first byte and the last.
bool copy_in_place(const std::wstring& temporary, HANDLE to) {
  const HANDLE from = CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (from == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED whole{};
  const bool locked = LockFileEx(to, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0;
  bool ok = false;
  {
    const HeldSignals held;
    LARGE_INTEGER size{};
    FILE_STANDARD_INFO now{};
    ok = GetFileSizeEx(from, &size) && GetFileInformationByHandleEx(to, FileStandardInfo, &now, sizeof now);
    if (ok && size.QuadPart > now.AllocationSize.QuadPart) {
      FILE_ALLOCATION_INFO room{};
      room.AllocationSize = size;
      ok = SetFileInformationByHandle(to, FileAllocationInfo, &room, sizeof room);
    }
    LARGE_INTEGER start{};
    ok = ok && SetFilePointerEx(to, start, nullptr, FILE_BEGIN);
    DWORD got = 0;
    while (ok && ReadFile(from, copy_buffer, sizeof copy_buffer, &got, nullptr) && got > 0) {
      DWORD put = 0;
      ok = WriteFile(to, copy_buffer, got, &put, nullptr) && put == got;
    }
    ok = ok && SetFilePointerEx(to, size, nullptr, FILE_BEGIN) && SetEndOfFile(to);
  }
  if (locked) UnlockFileEx(to, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(from);
  return ok;
}

// Standard output or error, named: written through it as it stands. A copy of
// its descriptor, so that messages can still be written after the output is
// closed.
OpenResult open_stream(std::FILE* stream, std::FILE* input, OutputFile& output) {
  if (_fileno(stream) != _fileno(input) && is_the_input(id_of_stream(stream), id_of_stream(input))) {
    return OpenResult::kIsInput;
  }
  std::fflush(stream);
  const int copy = _dup(_fileno(stream));
  if (copy < 0) return OpenResult::kFailed;
  output.stream = _fdopen(copy, "w");
  if (output.stream == nullptr) {
    _close(copy);
    return OpenResult::kFailed;
  }
  return OpenResult::kOpened;
}

}  // namespace

void hold_standard_descriptors() {}

std::FILE* open_input_file(const char* name) { return _wfopen(wide_of(name).c_str(), L"r"); }

OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output) {
  if (*name == '\0') return OpenResult::kFailed;  // no file has an empty name
  const std::wstring target = wide_of(name);
  const FileId existing = id_of_name(target);
  // The file, or the console, that standard output or error already is.
  const bool console = !existing.regular && !existing.directory && names_console(target);
  for (std::FILE* stream : {stdout, stderr}) {
    if (same_file(existing, id_of_stream(stream)) || (console && is_console(handle_of(stream)))) {
      return open_stream(stream, input, output);
    }
  }
  if (same_file(existing, id_of_stream(input))) return OpenResult::kIsInput;
  if (existing.directory) return OpenResult::kFailed;
  if (console || (existing.exists && !existing.regular)) {  // a device, such as NUL or CON
    output.stream = _wfopen(target.c_str(), L"w");
    return output.stream != nullptr ? OpenResult::kOpened : OpenResult::kFailed;
  }
  // An existing page is opened for writing as the shell opens it, without
  // emptying it: a file the user may not write is refused here.
  const HANDLE page = existing.exists ? open_page(target) : INVALID_HANDLE_VALUE;
  if (existing.exists && page == INVALID_HANDLE_VALUE) return OpenResult::kFailed;
  std::wstring temporary;
  SetConsoleCtrlHandler(remove_temporary, TRUE);
  int fd = -1;
  {
    const HeldSignals held;
    fd = create_temporary(target, existing.exists, temporary);
    if (fd >= 0) guard_temporary(temporary);
  }
  output.stream = fd >= 0 ? _wfdopen(fd, L"w") : nullptr;
  if (output.stream == nullptr) {
    if (fd >= 0) {
      _close(fd);
      DeleteFileW(temporary.c_str());
    }
    unguard_temporary();
    if (page != INVALID_HANDLE_VALUE) CloseHandle(page);
    return OpenResult::kFailed;
  }
  output.pending = new PendingReplacement{temporary, target, page};
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
    if (pending->page == INVALID_HANDLE_VALUE) {
      // A new page: renamed, or copied from the temporary folder (a copy that
      // fails is removed), whole before a console signal ends the run.
      const HeldSignals held;
      replaced = MoveFileExW(from, to, MOVEFILE_COPY_ALLOWED) != 0;
    } else {
      if (replace_keeps_all(*pending)) {
        // Closed first, so that ReplaceFileW meets no handle of this run; opened
        // again (and checked) should it fail.
        const FileId page = id_of_handle(pending->page);
        CloseHandle(pending->page);
        {
          const HeldSignals held;
          replaced = ReplaceFileW(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
        }
        pending->page = replaced ? INVALID_HANDLE_VALUE : open_page(pending->target);
        if (!same_file(id_of_handle(pending->page), page) && pending->page != INVALID_HANDLE_VALUE) {
          CloseHandle(pending->page);
          pending->page = INVALID_HANDLE_VALUE;
        }
      }
      if (!replaced && pending->page != INVALID_HANDLE_VALUE) {
        replaced = copy_in_place(pending->temporary, pending->page);
      }
    }
  }
  if (pending->page != INVALID_HANDLE_VALUE) CloseHandle(pending->page);
  {
    const HeldSignals held;
    DeleteFileW(pending->temporary.c_str());  // gone already when it was moved
    guarded_name[0] = L'\0';
  }
  SetConsoleCtrlHandler(remove_temporary, FALSE);
  delete pending;
  return closed && (replaced || !keep);
}

#else

// ---- POSIX: the kernel resolves every name, links and all, with its
// protections (links and files in sticky directories); the program learns from
// the file it opened where the page is, and reaches it and the temporary file
// through open directories, so that a directory moved during the run is no trap.

struct PendingReplacement {
  int page = -1;              // the existing page, opened as the shell opens it but not emptied; -1 for a new name
  std::string name;           // the name as given
  bool through_link = false;  // a link to a file not made yet, which the kernel makes at the end
  int target_directory = -1;  // the page's directory, when it can be known
  std::string target;         // the page's name in it
  int directory = -1;         // the temporary file's
  std::string temporary;
  bool beside = false;        // the temporary file is in the page's directory
  bool renamed = false;       // the temporary file has become the page
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

// A directory for the *at calls: opened for reading where it may be (so that
// its inode flags can be asked), else, on Linux, as a place alone.
int open_directory(const char* path) {
  int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
  if (fd < 0 && errno == EACCES) fd = open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
  return fd;
}

// The directory part and the last part of [path], as the kernel splits it.
void split_name(const std::string& path, std::string& folder, std::string& last) {
  const std::size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  last = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path of the open file [fd] as the kernel knows it; false where it cannot tell.
bool path_of(int fd, std::string& path) {
#if defined(__linux__)
  char found[4096];
  const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), found, sizeof found);
  if (length <= 0 || static_cast<std::size_t>(length) == sizeof found || found[0] != '/') return false;
  path.assign(found, static_cast<std::size_t>(length));
  return true;
#elif defined(F_GETPATH)
  char found[PATH_MAX];
  if (fcntl(fd, F_GETPATH, found) != 0) return false;
  path = found;
  return true;
#else
  (void)fd;
  (void)path;
  return false;
#endif
}

// Where the open file [fd] is: its directory, opened, and its name there,
// checked to lead to that very file. False when that cannot be known (no
// /proc, a file removed or out of reach).
bool locate(int fd, int& directory, std::string& last) {
  std::string path;
  std::string folder;
  if (!path_of(fd, path)) return false;
  split_name(path, folder, last);
  directory = last.empty() ? -1 : open_directory(folder.c_str());
  struct stat there {};
  if (directory >= 0 && fstatat(directory, last.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
      same_file(id_of_stat(there), id_of_descriptor(fd))) {
    return true;
  }
  if (directory >= 0) close(directory);
  directory = -1;
  return false;
}

#if defined(__linux__)
bool inode_flags(int fd, int& flags) {
  flags = 0;
  return ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
}

// A directory whose entries cannot be removed: a temporary file made there
// would outlive the run.
bool is_append_only(int directory) {
  int flags = 0;
  return inode_flags(directory, flags) && (flags & FS_APPEND_FL) != 0;
}

// Gives the temporary file the page's inode flags (chattr); false when it
// cannot have them all.
bool give_inode_flags(int page, int temporary) {
  int wanted = 0;
  int have = 0;
  const bool page_has = inode_flags(page, wanted);
  const bool temporary_has = inode_flags(temporary, have);
  if (!page_has || !temporary_has) return !page_has && !temporary_has;  // a file system without them
  if (have == wanted) return true;
  return ioctl(temporary, FS_IOC_SETFLAGS, &wanted) == 0 && inode_flags(temporary, have) && have == wanted;
}

// Some extended attribute (an ACL among them), or none known: not to be lost
// either way.
bool has_extended_attributes(int fd) { return flistxattr(fd, nullptr, 0) != 0; }
#else
bool is_append_only(int) { return false; }
bool give_inode_flags(int, int) { return true; }
bool has_extended_attributes(int) { return false; }
#endif

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

// Holds the signals that end the run for as long as it lives, so that none ends
// it halfway through a step: between making the temporary file and the handler
// knowing its name, or between the first byte written into the page and the
// last. Held signals arrive when it ends.
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

// A file of the run's own in [directory]: [stem], the process number and, when
// that is taken (by anything, a dangling link too), a count.
int create_numbered(int directory, const std::string& stem, mode_t mode, std::string& name) {
  const std::string pid = std::to_string(getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = stem;
    name += pid;
    if (attempt > 0) {
      name += '-';
      name += std::to_string(attempt);
    }
    name += ".tmp";
    const int fd = openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Whether a new name could be made in [directory]: the kernel's answer for
// access (read-only and immutable directories too), and a free inode.
bool could_create(int directory) {
  if (faccessat(directory, ".", W_OK | X_OK, AT_EACCESS) != 0) return false;
  struct statvfs room {};
  return fstatvfs(directory, &room) != 0 || room.f_files == 0 || room.f_ffree > 0;
}

int create_in_temporary_directory(PendingReplacement& pending) {
  const char* folder = std::getenv("TMPDIR");
  if (folder == nullptr || *folder == '\0') folder = "/tmp";
  pending.directory = open_directory(folder);
  if (pending.directory < 0 || is_append_only(pending.directory)) return -1;
  return create_numbered(pending.directory, "colorune-", 0600, pending.temporary);
}

void release(PendingReplacement* pending) {
  if (pending->page >= 0) close(pending->page);
  if (pending->directory >= 0 && pending->directory != pending->target_directory) close(pending->directory);
  if (pending->target_directory >= 0) close(pending->target_directory);
  delete pending;
}

// Makes the temporary file the conversion goes into: beside the page where a
// file of the run's own can be made and removed again, else in the system's
// temporary directory. One for a new page gets, as it is made, the mode and ACL
// any new file gets there (0666 under the umask and the default ACL), which it
// keeps when it is renamed.
OpenResult start_temporary(PendingReplacement* pending, OutputFile& output) {
  const bool new_page = pending->page < 0 && !pending->through_link;
  const int directory = pending->target_directory;
  int fd = -1;
  bool refused = false;
  {
    const HeldSignals held;
    const bool removable = directory >= 0 && !is_append_only(directory);
    if (removable) {
      fd = create_numbered(directory, pending->target + ".colorune-", new_page ? 0666 : 0600, pending->temporary);
      if (fd >= 0) pending->directory = directory;
      pending->beside = fd >= 0;
    }
    // A new name its directory refuses (no access, no room, read-only) could
    // not be made at the end either; a name too long to have a temporary one
    // beside it, or an append-only directory, is checked as it stands.
    if (fd < 0 && new_page) refused = (removable && errno != ENAMETOOLONG) || !could_create(directory);
    if (fd < 0 && !refused) fd = create_in_temporary_directory(*pending);
    if (fd >= 0) guard_temporary(pending->directory, pending->temporary);
  }
  if (fd >= 0 && (output.stream = fdopen(fd, "w")) != nullptr) {
    output.pending = pending;
    return OpenResult::kOpened;
  }
  if (fd >= 0) {
    const HeldSignals held;
    close(fd);
    unlinkat(pending->directory, pending->temporary.c_str(), 0);
    unguard_temporary();
  }
  release(pending);
  return OpenResult::kFailed;
}

// A name that leads to no file yet: nothing is made before the conversion has
// succeeded, only checked that it could be.
OpenResult open_new_name(const char* name, OutputFile& output) {
  auto* const pending = new PendingReplacement;
  pending->name = name;
  std::string folder;
  split_name(name, folder, pending->target);
  if (!pending->target.empty()) pending->target_directory = open_directory(folder.c_str());
  struct stat entry {};
  bool usable = pending->target_directory >= 0;
  if (usable && fstatat(pending->target_directory, pending->target.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0) {
    // A link to a file not made yet; anything else was made in between.
    pending->through_link = usable = S_ISLNK(entry.st_mode);
  } else if (usable) {
    usable = errno == ENOENT;
  }
  if (!usable) {
    release(pending);
    return OpenResult::kFailed;
  }
  return start_temporary(pending, output);
}

// Reserves room for [size] bytes in [to] without changing it, so that a full
// disk refuses before the old content is touched. What a failed reservation
// took past the end is given back at once, with the old times.
bool reserve_room(int to, const struct stat& before, off_t size) {
  if (size <= 0) return true;
#if defined(__linux__)
  if (fallocate(to, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
  if (errno == EOPNOTSUPP || errno == ENOSYS) return true;  // a file system that cannot: written without
  const int failure = errno;
  if (ftruncate(to, before.st_size) == 0) {
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    futimens(to, times);  // only its owner may; the content stays either way
  }
  errno = failure;
  return false;
#elif defined(_POSIX_ADVISORY_INFO) && _POSIX_ADVISORY_INFO > 0
  // Reserving may grow the file: the old length is given back at once.
  const int failure = posix_fallocate(to, 0, size);
  if (failure == 0 || failure == EOPNOTSUPP || failure == EINVAL) return true;
  if (size > before.st_size) ftruncate(to, before.st_size);
  errno = failure;
  return false;
#else
  (void)to;
  (void)before;
  return true;
#endif
}

// Copies the converted bytes into the open file [to]: room first, then the
// bytes, then the new length.
bool copy_into(int to, const PendingReplacement& pending) {
  const int from = openat(pending.directory, pending.temporary.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) return false;
  struct stat source {};
  struct stat before {};
  bool ok = fstat(from, &source) == 0 && fstat(to, &before) == 0;
  const off_t size = source.st_size;
  ok = ok && reserve_room(to, before, size);
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

// The content copied into the page in place, so that it stays the same file: an
// exclusive lock keeps other runs from writing into it meanwhile, and no signal
// ends the run between the first byte and the last.
bool write_in_place(int page, const PendingReplacement& pending) {
  flock(page, LOCK_EX);  // where the file system has no locks, written without
  const HeldSignals held;
  const bool ok = copy_into(page, pending);
  flock(page, LOCK_UN);
  return ok;
}

// Removes the file [fd], made by this run, from wherever it is.
void remove_made(int fd) {
  int directory = -1;
  std::string last;
  if (!locate(fd, directory, last)) return;
  unlinkat(directory, last.c_str(), 0);
  close(directory);
}

// A new page where no temporary file could be made beside it (a name too long
// for one, an append-only directory): made as the shell makes it, the bytes
// copied in, and gone again when they cannot all be. Where it can, the file is
// made without a name, and named only once whole.
bool write_new_file(const PendingReplacement& pending) {
  const HeldSignals held;
#ifdef O_TMPFILE
  const int unnamed = openat(pending.target_directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (unnamed >= 0) {
    const bool copied = copy_into(unnamed, pending);
    const std::string path = "/proc/self/fd/" + std::to_string(unnamed);
    const bool named = copied && linkat(AT_FDCWD, path.c_str(), pending.target_directory, pending.target.c_str(),
                                        AT_SYMLINK_FOLLOW) == 0;
    const int failure = errno;
    close(unnamed);
    if (named || !copied || failure != ENOENT) return named;
    // No /proc to name it by: made with a name instead.
  }
#endif
  const int to = openat(pending.target_directory, pending.target.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
  if (to < 0) return false;
  bool ok = copy_into(to, pending);
  ok = close(to) == 0 && ok;
  if (!ok) unlinkat(pending.target_directory, pending.target.c_str(), 0);
  return ok;
}

// The name was a link to a file not made yet: the kernel follows it now, with
// its rules for links in sticky directories, and makes the file as the shell
// would; the bytes are copied in, and a file made here is removed again when
// they cannot all be.
bool write_through_link(const PendingReplacement& pending) {
  struct stat before {};
  const bool existed = stat(pending.name.c_str(), &before) == 0;
  const HeldSignals held;
  const int to = open(pending.name.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
  if (to < 0) return false;
  const FileId made = id_of_descriptor(to);
  bool ok = made.regular && (!existed || same_file(made, id_of_stat(before))) && copy_into(to, pending);
  if (!ok && !existed) remove_made(to);
  ok = close(to) == 0 && ok;
  return ok;
}

// Whether renaming the temporary file over the page changes nothing but the
// content: the name still leads to the page, which has one link, no extended
// attribute (nor has the temporary file one, an inherited ACL say), an owner,
// group, mode and inode flags the temporary file can be given (it is given them
// here), in a directory that lets this user replace it.
bool rename_keeps_all(const PendingReplacement& pending, int temporary_fd) {
  struct stat page {};
  struct stat there {};
  struct stat directory {};
  if (!pending.beside || fstat(pending.page, &page) != 0 || page.st_nlink != 1) return false;
  if (fstatat(pending.target_directory, pending.target.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
      !same_file(id_of_stat(there), id_of_stat(page))) {
    return false;
  }
  if (has_extended_attributes(pending.page) || has_extended_attributes(temporary_fd)) return false;
  if (fstat(pending.target_directory, &directory) != 0) return false;
  const uid_t user = geteuid();
  if ((directory.st_mode & S_ISVTX) && user != 0 && page.st_uid != user && directory.st_uid != user) return false;
  if (!give_inode_flags(pending.page, temporary_fd)) return false;
  // The owner first: a change of owner clears the set-id bits.
  return fchown(temporary_fd, page.st_uid, page.st_gid) == 0 && fchmod(temporary_fd, page.st_mode & 07777) == 0;
}

bool rename_into_place(PendingReplacement& pending) {
  const HeldSignals held;
  pending.renamed = renameat(pending.directory, pending.temporary.c_str(), pending.target_directory,
                             pending.target.c_str()) == 0;
  if (pending.renamed) unguard_temporary();
  return pending.renamed;
}

// Puts the converted temporary file in the page's place; [temporary_fd] is
// still open for writing.
bool commit(PendingReplacement& pending, int temporary_fd) {
  if (pending.through_link) return write_through_link(pending);
  if (pending.page < 0) return pending.beside ? rename_into_place(pending) : write_new_file(pending);
  if (rename_keeps_all(pending, temporary_fd) && rename_into_place(pending)) return true;
  // Not to be renamed over, or refused (a bind mount): the content goes in.
  return write_in_place(pending.page, pending);
}

// The file standard output or error is: written through that descriptor as it
// stands, neither replaced nor emptied.
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

void hold_standard_descriptors() {
  // A closed standard descriptor is given an empty pipe's reading end: no file
  // of the run takes its number (a message would land in the page, the page in
  // the input), writing to it fails as before, and its names lead to nothing
  // that can be written.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int ends[2];
    if (pipe(ends) != 0) return;
    if (ends[0] != fd) {
      dup2(ends[0], fd);
      close(ends[0]);
    }
    close(ends[1]);
  }
}

std::FILE* open_input_file(const char* name) {
  std::FILE* const file = std::fopen(name, "r");
  // A directory opens for reading here, but is no text: it cannot be opened as
  // an input, as on Windows.
  struct stat info {};
  if (file != nullptr && fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

OpenResult open_output_file(const char* name, std::FILE* input, OutputFile& output) {
  if (*name == '\0') return OpenResult::kFailed;  // no file has an empty name
  struct stat found {};
  if (stat(name, &found) != 0) {
    // A loop, a link the kernel will not follow here, a directory not to be
    // searched ... fail; a name that leads to nothing yet is made at the end.
    return errno == ENOENT ? open_new_name(name, output) : OpenResult::kFailed;
  }
  const FileId id = id_of_stat(found);
  // The very file standard output or error is, by any spelling (a socket too,
  // which cannot be opened again).
  for (const int fd : {1, 2}) {
    if (same_file(id, id_of_descriptor(fd))) return open_descriptor(fd, input, output);
  }
  if (same_file(id, id_of_descriptor(fileno(input)))) return OpenResult::kIsInput;
  if (id.directory) return OpenResult::kFailed;
  // Opened as the shell's ">" opens it, but not emptied: O_CREAT brings the
  // kernel's rules for files in sticky directories. (Should the file vanish
  // in between, this makes an empty one; the check below then refuses it.)
  const int page = open(name, O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
  if (page < 0) return OpenResult::kFailed;  // an append-only or immutable page too
  if (!same_file(id_of_descriptor(page), id)) {
    close(page);
    return OpenResult::kFailed;
  }
  if (!id.regular) {  // a device or a FIFO: written as the conversion goes
    output.stream = fdopen(page, "w");
    if (output.stream == nullptr) close(page);
    return output.stream != nullptr ? OpenResult::kOpened : OpenResult::kFailed;
  }
  auto* const pending = new PendingReplacement;
  pending->page = page;
  pending->name = name;
  locate(page, pending->target_directory, pending->target);  // else the temporary file goes elsewhere
  return start_temporary(pending, output);
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
  {
    const HeldSignals held;
    if (!pending->renamed) unlinkat(pending->directory, pending->temporary.c_str(), 0);
    unguard_temporary();
  }
  release(pending);
  return written && (replaced || !keep);
}

#endif
