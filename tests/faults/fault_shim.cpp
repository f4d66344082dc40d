// A fault-injecting preload library. Loaded with LD_PRELOAD, it stands between a program and
// the C library's file calls and fails one chosen call that concerns a file under one folder:
//
//   QUORVEL_FAULT_DIR   the folder; only calls on paths under it, or on descriptors opened on
//                       such paths, are counted (the toolkit's own files never are)
//   QUORVEL_FAULT_CALL  the counted call to hit, from 1; unset or 0 only counts
//   QUORVEL_FAULT_KIND  EIO, ENOSPC, EDQUOT (any errno name below): the call fails with it;
//                       short1 / half: a read or write moves 1 byte / half the bytes asked;
//                       stall: the process stops itself with SIGSTOP inside the call (a write
//                       first writes half its bytes), for a parent to kill it there
//   QUORVEL_FAULT_ALWAYS  "name=ERRNO,...": every other counted call of that name fails with
//                       that error, as on a file system that lacks it (link=EPERM: no hard
//                       links)
//
// Only the thread that armed the library is counted: the editor does its file work on the
// user-interface thread, while the toolkit looks into the folder from threads of its own, at
// moments that vary from run to run.
//
// Counting starts once the program calls quorvel_fault_arm(1), so it can set itself up first;
// quorvel_fault_report() describes the calls counted. A program finds both with
// dlsym(RTLD_DEFAULT, ...), and runs unharmed without the library.
//
// Only calls that go through the dynamic symbol table can be caught: the C library's own
// internal calls (the open inside fopen or mkstemp) are caught at the outer call instead.

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

namespace {

constexpr int kMaxTrackedFd = 1024;
constexpr std::size_t kMaxTrace = 512;

enum class Family { Open, Read, Write, Sync, Close, Rename, Link, Unlink, Other };

enum class Kind { None, Errno, ShortOne, Half, Stall };

struct Decision {
  Kind kind = Kind::None;
  int error = 0;
};

// The state of the run: settings read once, the descriptors opened under the folder and the
// calls counted. Plain arrays: nothing here allocates or has a destructor to run at exit, when
// other threads may still call in.
struct State {
  std::once_flag once;
  std::mutex lock;
  // The folder as given and as the kernel names it (through symlinks): a path may use either.
  struct Folder {
    char path[PATH_MAX] = {};
    std::size_t length = 0;
  };
  std::array<Folder, 2> dirs{};
  bool watching = false;
  long target = 0;
  Kind kind = Kind::None;
  int error = 0;
  std::atomic<bool> armed{false};
  pthread_t armedThread{};
  long counted = 0;
  bool hit = false;
  char hitName[32] = {};
  std::array<const char*, kMaxTrace> trace{};
  struct Always {
    char name[32] = {};
    int error = 0;
  };
  std::array<Always, 8> always{};
  std::array<bool, kMaxTrackedFd> tracked{};
  std::array<std::array<char, PATH_MAX>, kMaxTrackedFd> paths{};
};

State state;

int ErrnoFromName(std::string_view name) {
  struct Named {
    std::string_view name;
    int value;
  };
  static constexpr Named kErrors[] = {{"EIO", EIO},       {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT},
                                      {"EACCES", EACCES}, {"EPERM", EPERM},   {"EROFS", EROFS},
                                      {"EFBIG", EFBIG},   {"EINTR", EINTR},   {"EXDEV", EXDEV},
                                      {"ENOMEM", ENOMEM}, {"EMLINK", EMLINK}, {"EBADF", EBADF}};
  for (const Named& error : kErrors) {
    if (error.name == name) return error.value;
  }
  return 0;
}

void Initialise() {
  std::call_once(state.once, [] {
    if (const char* dir = std::getenv("QUORVEL_FAULT_DIR"); dir != nullptr && *dir != '\0') {
      std::snprintf(state.dirs[0].path, PATH_MAX, "%s", dir);
      if (::realpath(dir, state.dirs[1].path) == nullptr) state.dirs[1] = state.dirs[0];
      for (State::Folder& folder : state.dirs) {
        folder.length = std::strlen(folder.path);
        while (folder.length > 1 && folder.path[folder.length - 1] == '/') {
          folder.path[--folder.length] = '\0';
        }
      }
      state.watching = true;
    }
    if (const char* call = std::getenv("QUORVEL_FAULT_CALL")) state.target = std::atol(call);
    if (const char* always = std::getenv("QUORVEL_FAULT_ALWAYS")) {
      std::string_view rest(always);
      for (State::Always& entry : state.always) {
        if (rest.empty()) break;
        const std::string_view item = rest.substr(0, rest.find(','));
        rest.remove_prefix(std::min(rest.size(), item.size() + 1));
        const auto equals = item.find('=');
        if (equals == std::string_view::npos || equals >= sizeof entry.name) continue;
        item.copy(entry.name, equals);
        entry.error = ErrnoFromName(item.substr(equals + 1));
      }
    }
    const std::string_view kind = std::getenv("QUORVEL_FAULT_KIND") != nullptr
                                      ? std::getenv("QUORVEL_FAULT_KIND")
                                      : std::string_view();
    if (kind == "short1") {
      state.kind = Kind::ShortOne;
    } else if (kind == "half") {
      state.kind = Kind::Half;
    } else if (kind == "stall") {
      state.kind = Kind::Stall;
    } else if (const int error = ErrnoFromName(kind); error != 0) {
      state.kind = Kind::Errno;
      state.error = error;
    }
  });
}

bool IsUnderDir(const char* absolute) {
  for (const State::Folder& folder : state.dirs) {
    if (folder.length == 0 || std::strncmp(absolute, folder.path, folder.length) != 0) continue;
    const char next = absolute[folder.length];
    if (next == '\0' || next == '/' || folder.path[folder.length - 1] == '/') return true;
  }
  return false;
}

bool IsTracked(int fd) { return fd >= 0 && fd < kMaxTrackedFd && state.tracked[fd]; }

// Writes base + "/" + path into `out` (PATH_MAX bytes), cut to fit.
void Join(char* out, const char* base, const char* path) {
  const std::size_t baseLength = std::min<std::size_t>(std::strlen(base), PATH_MAX - 2);
  std::memmove(out, base, baseLength);
  out[baseLength] = '/';
  const std::size_t pathLength =
      std::min<std::size_t>(std::strlen(path), PATH_MAX - 2 - baseLength);
  std::memcpy(out + baseLength + 1, path, pathLength);
  out[baseLength + 1 + pathLength] = '\0';
}

// Whether `path`, taken relative to `dirfd` as the *at calls do, lies under the folder. The
// path is judged by its text: the folder's own files are named through the folder.
bool Concerns(int dirfd, const char* path) {
  Initialise();
  if (!state.watching || path == nullptr) return false;
  if (path[0] == '/') return IsUnderDir(path);
  char absolute[PATH_MAX];
  if (dirfd == AT_FDCWD) {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return false;
    Join(absolute, cwd, path);
  } else if (IsTracked(dirfd)) {
    Join(absolute, state.paths[dirfd].data(), path);
  } else {
    return false;
  }
  return IsUnderDir(absolute);
}

bool Concerns(const char* path) { return Concerns(AT_FDCWD, path); }

void Track(int fd, int dirfd, const char* path) {
  if (fd < 0 || fd >= kMaxTrackedFd) return;
  std::lock_guard guard(state.lock);
  char joined[PATH_MAX];
  if (path[0] == '/' || (dirfd != AT_FDCWD && !IsTracked(dirfd))) {
    std::snprintf(joined, sizeof joined, "%s", path);
  } else if (dirfd == AT_FDCWD) {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr) cwd[0] = '\0';
    Join(joined, cwd, path);
  } else {
    Join(joined, state.paths[dirfd].data(), path);
  }
  std::memcpy(state.paths[fd].data(), joined, sizeof joined);
  state.tracked[fd] = true;
}

void Untrack(int fd) {
  if (fd < 0 || fd >= kMaxTrackedFd) return;
  std::lock_guard guard(state.lock);
  state.tracked[fd] = false;
}

// Counts one call that concerns the folder and says what to do to it.
Decision Count(const char* name, Family family) {
  Initialise();
  if (!state.armed.load()) return {};
  std::lock_guard guard(state.lock);
  if (::pthread_equal(state.armedThread, ::pthread_self()) == 0) return {};
  if (static_cast<std::size_t>(state.counted) < kMaxTrace) state.trace[state.counted] = name;
  ++state.counted;
  if (state.target == 0 || state.counted != state.target) {
    for (const State::Always& entry : state.always) {
      if (entry.error != 0 && std::strcmp(entry.name, name) == 0) return {Kind::Errno, entry.error};
    }
    return {};
  }
  const bool transfers = family == Family::Read || family == Family::Write;
  if ((state.kind == Kind::ShortOne || state.kind == Kind::Half) && !transfers) return {};
  if (state.kind == Kind::None) return {};
  state.hit = true;
  std::snprintf(state.hitName, sizeof state.hitName, "%s", name);
  return {state.kind, state.error};
}

// The count a short transfer moves instead of `asked`.
std::size_t Shortened(const Decision& decision, std::size_t asked) {
  if (asked <= 1) return asked;
  if (decision.kind == Kind::ShortOne) return 1;
  if (decision.kind == Kind::Half || decision.kind == Kind::Stall) return asked / 2;
  return asked;
}

void StopHere() { ::raise(SIGSTOP); }

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

#define NEXT(name) static const auto real = Next<decltype(&name)>(#name)

template <typename Result>
Result Fail(int error, Result failure) {
  errno = error;
  return failure;
}

// The open family: counted when the path lies under the folder; the new descriptor is then
// tracked, so its later calls count too.
template <typename OpenCall>
int CountedOpen(const char* name, int dirfd, const char* path, OpenCall open) {
  if (!Concerns(dirfd, path)) return open();
  const Decision decision = Count(name, Family::Open);
  if (decision.kind == Kind::Errno) return Fail(decision.error, -1);
  if (decision.kind == Kind::Stall) StopHere();
  const int fd = open();
  if (fd >= 0) Track(fd, dirfd, path);
  return fd;
}

mode_t ModeArgument(int flags, va_list args) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

template <typename Transfer>
ssize_t CountedRead(const char* name, int fd, std::size_t count, Transfer transfer) {
  if (!IsTracked(fd)) return transfer(count);
  const Decision decision = Count(name, Family::Read);
  if (decision.kind == Kind::Errno) return Fail(decision.error, ssize_t{-1});
  if (decision.kind == Kind::Stall) StopHere();
  return transfer(Shortened(decision, count));
}

template <typename Transfer>
ssize_t CountedWrite(const char* name, int fd, std::size_t count, Transfer transfer) {
  if (!IsTracked(fd)) return transfer(count);
  const Decision decision = Count(name, Family::Write);
  if (decision.kind == Kind::Errno) return Fail(decision.error, ssize_t{-1});
  if (decision.kind == Kind::Stall) {
    // Half the bytes reach the file, then the process stops inside the call.
    const ssize_t written = transfer(Shortened(decision, count));
    StopHere();
    return written;
  }
  return transfer(Shortened(decision, count));
}

// A call on a descriptor that returns 0 or -1 with errno.
template <typename Call>
int CountedFdCall(const char* name, Family family, int fd, Call call) {
  if (!IsTracked(fd)) return call();
  const Decision decision = Count(name, family);
  if (decision.kind == Kind::Errno) return Fail(decision.error, -1);
  if (decision.kind == Kind::Stall) StopHere();
  return call();
}

// A call on one or two paths that returns 0 or -1 with errno.
template <typename Call>
int CountedPathCall(const char* name, Family family, bool concerns, Call call) {
  if (!concerns) return call();
  const Decision decision = Count(name, family);
  if (decision.kind == Kind::Errno) return Fail(decision.error, -1);
  if (decision.kind == Kind::Stall) StopHere();
  return call();
}

// A tracked descriptor is closed even when its close is made to fail, as the kernel does.
int CountedClose(const char* name, int fd, int (*close)(int)) {
  if (!IsTracked(fd)) return close(fd);
  const Decision decision = Count(name, Family::Close);
  if (decision.kind == Kind::Stall) StopHere();
  Untrack(fd);
  const int result = close(fd);
  if (decision.kind == Kind::Errno) return Fail(decision.error, -1);
  return result;
}

std::size_t IovecTotal(const struct iovec* iov, int count) {
  std::size_t total = 0;
  for (int i = 0; i < count; ++i) total += iov[i].iov_len;
  return total;
}

}  // namespace

extern "C" {

// Starts or stops counting (and with it the fault).
__attribute__((visibility("default"))) void quorvel_fault_arm(int on) {
  Initialise();
  {
    std::lock_guard guard(state.lock);
    state.armedThread = ::pthread_self();
  }
  state.armed.store(on != 0);
}

// "calls=N hit=NAME|- trace=a,b,c" for the calls counted so far.
__attribute__((visibility("default"))) void quorvel_fault_report(char* buffer, size_t size) {
  Initialise();
  std::lock_guard guard(state.lock);
  int used = std::snprintf(buffer, size, "calls=%ld hit=%s trace=", state.counted,
                           state.hit ? state.hitName : "-");
  const long listed = std::min<long>(state.counted, static_cast<long>(kMaxTrace));
  for (long i = 0; i < listed && used >= 0 && static_cast<std::size_t>(used) < size; ++i) {
    used += std::snprintf(buffer + used, size - static_cast<std::size_t>(used), "%s%s",
                          i == 0 ? "" : ",", state.trace[static_cast<std::size_t>(i)]);
  }
}

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  NEXT(open);
  return CountedOpen("open", AT_FDCWD, path, [&] { return real(path, flags, mode); });
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  NEXT(open64);
  return CountedOpen("open", AT_FDCWD, path, [&] { return real(path, flags, mode); });
}

int openat(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  NEXT(openat);
  return CountedOpen("openat", dirfd, path, [&] { return real(dirfd, path, flags, mode); });
}

int openat64(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeArgument(flags, args);
  va_end(args);
  NEXT(openat64);
  return CountedOpen("openat", dirfd, path, [&] { return real(dirfd, path, flags, mode); });
}

// The fortified forms a build with _FORTIFY_SOURCE calls.
int __open_2(const char* path, int flags) {
  NEXT(__open_2);
  return CountedOpen("open", AT_FDCWD, path, [&] { return real(path, flags); });
}

int __open64_2(const char* path, int flags) {
  NEXT(__open64_2);
  return CountedOpen("open", AT_FDCWD, path, [&] { return real(path, flags); });
}

int __openat_2(int dirfd, const char* path, int flags) {
  NEXT(__openat_2);
  return CountedOpen("openat", dirfd, path, [&] { return real(dirfd, path, flags); });
}

int __openat64_2(int dirfd, const char* path, int flags) {
  NEXT(__openat64_2);
  return CountedOpen("openat", dirfd, path, [&] { return real(dirfd, path, flags); });
}

int creat(const char* path, mode_t mode) {
  NEXT(creat);
  return CountedOpen("creat", AT_FDCWD, path, [&] { return real(path, mode); });
}

int creat64(const char* path, mode_t mode) {
  NEXT(creat64);
  return CountedOpen("creat", AT_FDCWD, path, [&] { return real(path, mode); });
}

// Temporary files: the template names the folder.
int mkstemp(char* pattern) {
  NEXT(mkstemp);
  return CountedOpen("mkstemp", AT_FDCWD, pattern, [&] { return real(pattern); });
}

int mkstemp64(char* pattern) {
  NEXT(mkstemp64);
  return CountedOpen("mkstemp", AT_FDCWD, pattern, [&] { return real(pattern); });
}

int mkostemp(char* pattern, int flags) {
  NEXT(mkostemp);
  return CountedOpen("mkostemp", AT_FDCWD, pattern, [&] { return real(pattern, flags); });
}

int mkostemp64(char* pattern, int flags) {
  NEXT(mkostemp64);
  return CountedOpen("mkostemp", AT_FDCWD, pattern, [&] { return real(pattern, flags); });
}

int mkstemps(char* pattern, int suffix) {
  NEXT(mkstemps);
  return CountedOpen("mkstemps", AT_FDCWD, pattern, [&] { return real(pattern, suffix); });
}

int mkostemps(char* pattern, int suffix, int flags) {
  NEXT(mkostemps);
  return CountedOpen("mkostemps", AT_FDCWD, pattern, [&] { return real(pattern, suffix, flags); });
}

FILE* fopen(const char* path, const char* mode) {
  NEXT(fopen);
  if (!Concerns(path)) return real(path, mode);
  const Decision decision = Count("fopen", Family::Open);
  if (decision.kind == Kind::Errno) return Fail(decision.error, static_cast<FILE*>(nullptr));
  if (decision.kind == Kind::Stall) StopHere();
  FILE* file = real(path, mode);
  if (file != nullptr) Track(::fileno(file), AT_FDCWD, path);
  return file;
}

FILE* fopen64(const char* path, const char* mode) {
  NEXT(fopen64);
  if (!Concerns(path)) return real(path, mode);
  const Decision decision = Count("fopen", Family::Open);
  if (decision.kind == Kind::Errno) return Fail(decision.error, static_cast<FILE*>(nullptr));
  if (decision.kind == Kind::Stall) StopHere();
  FILE* file = real(path, mode);
  if (file != nullptr) Track(::fileno(file), AT_FDCWD, path);
  return file;
}

int fclose(FILE* file) {
  NEXT(fclose);
  const int fd = file != nullptr ? ::fileno(file) : -1;
  if (!IsTracked(fd)) return real(file);
  const Decision decision = Count("fclose", Family::Close);
  if (decision.kind == Kind::Stall) StopHere();
  Untrack(fd);
  const int result = real(file);
  if (decision.kind == Kind::Errno) return Fail(decision.error, EOF);
  return result;
}

int dup(int fd) {
  NEXT(dup);
  const int copy = real(fd);
  if (copy >= 0 && IsTracked(fd)) Track(copy, AT_FDCWD, state.paths[fd].data());
  return copy;
}

int dup2(int fd, int copy) {
  NEXT(dup2);
  const int result = real(fd, copy);
  if (result >= 0 && fd != copy) {
    Untrack(copy);
    if (IsTracked(fd)) Track(copy, AT_FDCWD, state.paths[fd].data());
  }
  return result;
}

int dup3(int fd, int copy, int flags) {
  NEXT(dup3);
  const int result = real(fd, copy, flags);
  if (result >= 0) {
    Untrack(copy);
    if (IsTracked(fd)) Track(copy, AT_FDCWD, state.paths[fd].data());
  }
  return result;
}

ssize_t read(int fd, void* buffer, size_t count) {
  NEXT(read);
  return CountedRead("read", fd, count, [&](size_t n) { return real(fd, buffer, n); });
}

ssize_t __read_chk(int fd, void* buffer, size_t count, size_t size) {
  NEXT(__read_chk);
  return CountedRead("read", fd, count, [&](size_t n) { return real(fd, buffer, n, size); });
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
  NEXT(pread);
  return CountedRead("pread", fd, count, [&](size_t n) { return real(fd, buffer, n, offset); });
}

ssize_t pread64(int fd, void* buffer, size_t count, off64_t offset) {
  NEXT(pread64);
  return CountedRead("pread", fd, count, [&](size_t n) { return real(fd, buffer, n, offset); });
}

ssize_t readv(int fd, const struct iovec* iov, int count) {
  NEXT(readv);
  // A short vector read is not made; the call fails or passes whole.
  return CountedRead("readv", fd, IovecTotal(iov, count),
                     [&](size_t) { return real(fd, iov, count); });
}

ssize_t write(int fd, const void* buffer, size_t count) {
  NEXT(write);
  return CountedWrite("write", fd, count, [&](size_t n) { return real(fd, buffer, n); });
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  NEXT(pwrite);
  return CountedWrite("pwrite", fd, count, [&](size_t n) { return real(fd, buffer, n, offset); });
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off64_t offset) {
  NEXT(pwrite64);
  return CountedWrite("pwrite", fd, count, [&](size_t n) { return real(fd, buffer, n, offset); });
}

ssize_t writev(int fd, const struct iovec* iov, int count) {
  NEXT(writev);
  return CountedWrite("writev", fd, IovecTotal(iov, count), [&](size_t n) {
    // A short vector write keeps the first n bytes of the vector.
    struct iovec cut[64];
    int parts = 0;
    for (int i = 0; i < count && i < 64 && n > 0; ++i) {
      cut[parts] = iov[i];
      cut[parts].iov_len = std::min(n, iov[i].iov_len);
      n -= cut[parts].iov_len;
      ++parts;
    }
    return real(fd, cut, parts);
  });
}

int fsync(int fd) {
  NEXT(fsync);
  return CountedFdCall("fsync", Family::Sync, fd, [&] { return real(fd); });
}

int fdatasync(int fd) {
  NEXT(fdatasync);
  return CountedFdCall("fdatasync", Family::Sync, fd, [&] { return real(fd); });
}

int syncfs(int fd) {
  NEXT(syncfs);
  return CountedFdCall("syncfs", Family::Sync, fd, [&] { return real(fd); });
}

int sync_file_range(int fd, off64_t offset, off64_t count, unsigned int flags) {
  NEXT(sync_file_range);
  return CountedFdCall("sync_file_range", Family::Sync, fd,
                       [&] { return real(fd, offset, count, flags); });
}

int close(int fd) {
  NEXT(close);
  return CountedClose("close", fd, real);
}

int ftruncate(int fd, off_t length) {
  NEXT(ftruncate);
  return CountedFdCall("ftruncate", Family::Other, fd, [&] { return real(fd, length); });
}

int ftruncate64(int fd, off64_t length) {
  NEXT(ftruncate64);
  return CountedFdCall("ftruncate", Family::Other, fd, [&] { return real(fd, length); });
}

int fallocate(int fd, int mode, off_t offset, off_t length) {
  NEXT(fallocate);
  return CountedFdCall("fallocate", Family::Other, fd,
                       [&] { return real(fd, mode, offset, length); });
}

int fallocate64(int fd, int mode, off64_t offset, off64_t length) {
  NEXT(fallocate64);
  return CountedFdCall("fallocate", Family::Other, fd,
                       [&] { return real(fd, mode, offset, length); });
}

// posix_fallocate returns its error instead of setting errno.
int posix_fallocate(int fd, off_t offset, off_t length) {
  NEXT(posix_fallocate);
  const int result =
      CountedFdCall("posix_fallocate", Family::Other, fd, [&] { return real(fd, offset, length); });
  return result == -1 ? errno : result;
}

int posix_fallocate64(int fd, off64_t offset, off64_t length) {
  NEXT(posix_fallocate64);
  const int result =
      CountedFdCall("posix_fallocate", Family::Other, fd, [&] { return real(fd, offset, length); });
  return result == -1 ? errno : result;
}

int fchmod(int fd, mode_t mode) {
  NEXT(fchmod);
  return CountedFdCall("fchmod", Family::Other, fd, [&] { return real(fd, mode); });
}

int fchown(int fd, uid_t owner, gid_t group) {
  NEXT(fchown);
  return CountedFdCall("fchown", Family::Other, fd, [&] { return real(fd, owner, group); });
}

int fstat(int fd, struct stat* status) {
  NEXT(fstat);
  return CountedFdCall("fstat", Family::Other, fd, [&] { return real(fd, status); });
}

int fstat64(int fd, struct stat64* status) {
  NEXT(fstat64);
  return CountedFdCall("fstat", Family::Other, fd, [&] { return real(fd, status); });
}

off_t lseek(int fd, off_t offset, int whence) {
  NEXT(lseek);
  if (!IsTracked(fd)) return real(fd, offset, whence);
  const Decision decision = Count("lseek", Family::Other);
  if (decision.kind == Kind::Errno) return Fail(decision.error, off_t{-1});
  if (decision.kind == Kind::Stall) StopHere();
  return real(fd, offset, whence);
}

off64_t lseek64(int fd, off64_t offset, int whence) {
  NEXT(lseek64);
  if (!IsTracked(fd)) return real(fd, offset, whence);
  const Decision decision = Count("lseek", Family::Other);
  if (decision.kind == Kind::Errno) return Fail(decision.error, off64_t{-1});
  if (decision.kind == Kind::Stall) StopHere();
  return real(fd, offset, whence);
}

int flock(int fd, int operation) {
  NEXT(flock);
  return CountedFdCall("flock", Family::Other, fd, [&] { return real(fd, operation); });
}

// fcntl's third argument is an int or a pointer; both travel in the same register.
int fcntl(int fd, int command, ...) {
  va_list args;
  va_start(args, command);
  void* argument = va_arg(args, void*);
  va_end(args);
  NEXT(fcntl);
  const int result =
      CountedFdCall("fcntl", Family::Other, fd, [&] { return real(fd, command, argument); });
  if (result >= 0 && (command == F_DUPFD || command == F_DUPFD_CLOEXEC) && IsTracked(fd)) {
    Track(result, AT_FDCWD, state.paths[fd].data());
  }
  return result;
}

int fcntl64(int fd, int command, ...) {
  va_list args;
  va_start(args, command);
  void* argument = va_arg(args, void*);
  va_end(args);
  NEXT(fcntl64);
  const int result =
      CountedFdCall("fcntl", Family::Other, fd, [&] { return real(fd, command, argument); });
  if (result >= 0 && (command == F_DUPFD || command == F_DUPFD_CLOEXEC) && IsTracked(fd)) {
    Track(result, AT_FDCWD, state.paths[fd].data());
  }
  return result;
}

// Looking at a path: the checks a program makes before it opens or replaces a file.
int stat(const char* path, struct stat* status) {
  NEXT(stat);
  return CountedPathCall("stat", Family::Other, Concerns(path), [&] { return real(path, status); });
}

int stat64(const char* path, struct stat64* status) {
  NEXT(stat64);
  return CountedPathCall("stat", Family::Other, Concerns(path), [&] { return real(path, status); });
}

int lstat(const char* path, struct stat* status) {
  NEXT(lstat);
  return CountedPathCall("lstat", Family::Other, Concerns(path),
                         [&] { return real(path, status); });
}

int lstat64(const char* path, struct stat64* status) {
  NEXT(lstat64);
  return CountedPathCall("lstat", Family::Other, Concerns(path),
                         [&] { return real(path, status); });
}

int fstatat(int dirfd, const char* path, struct stat* status, int flags) {
  NEXT(fstatat);
  const bool concerns = (flags & AT_EMPTY_PATH) != 0 && path != nullptr && path[0] == '\0'
                            ? IsTracked(dirfd)
                            : Concerns(dirfd, path);
  return CountedPathCall("fstatat", Family::Other, concerns,
                         [&] { return real(dirfd, path, status, flags); });
}

int fstatat64(int dirfd, const char* path, struct stat64* status, int flags) {
  NEXT(fstatat64);
  const bool concerns = (flags & AT_EMPTY_PATH) != 0 && path != nullptr && path[0] == '\0'
                            ? IsTracked(dirfd)
                            : Concerns(dirfd, path);
  return CountedPathCall("fstatat", Family::Other, concerns,
                         [&] { return real(dirfd, path, status, flags); });
}

int faccessat(int dirfd, const char* path, int mode, int flags) {
  NEXT(faccessat);
  return CountedPathCall("faccessat", Family::Other, Concerns(dirfd, path),
                         [&] { return real(dirfd, path, mode, flags); });
}

int rename(const char* from, const char* to) {
  NEXT(rename);
  return CountedPathCall("rename", Family::Rename, Concerns(from) || Concerns(to),
                         [&] { return real(from, to); });
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
  NEXT(renameat);
  return CountedPathCall("renameat", Family::Rename, Concerns(fromDir, from) || Concerns(toDir, to),
                         [&] { return real(fromDir, from, toDir, to); });
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) {
  NEXT(renameat2);
  return CountedPathCall("renameat2", Family::Rename,
                         Concerns(fromDir, from) || Concerns(toDir, to),
                         [&] { return real(fromDir, from, toDir, to, flags); });
}

int link(const char* from, const char* to) {
  NEXT(link);
  return CountedPathCall("link", Family::Link, Concerns(from) || Concerns(to),
                         [&] { return real(from, to); });
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
  NEXT(linkat);
  // linkat(fd, "", ..., AT_EMPTY_PATH) names a file by its descriptor.
  const bool byDescriptor = from != nullptr && from[0] == '\0' && IsTracked(fromDir);
  return CountedPathCall("linkat", Family::Link,
                         byDescriptor || Concerns(fromDir, from) || Concerns(toDir, to),
                         [&] { return real(fromDir, from, toDir, to, flags); });
}

int symlink(const char* from, const char* to) {
  NEXT(symlink);
  return CountedPathCall("symlink", Family::Link, Concerns(to), [&] { return real(from, to); });
}

int unlink(const char* path) {
  NEXT(unlink);
  return CountedPathCall("unlink", Family::Unlink, Concerns(path), [&] { return real(path); });
}

int unlinkat(int dirfd, const char* path, int flags) {
  NEXT(unlinkat);
  return CountedPathCall("unlinkat", Family::Unlink, Concerns(dirfd, path),
                         [&] { return real(dirfd, path, flags); });
}

int remove(const char* path) {
  NEXT(remove);
  return CountedPathCall("remove", Family::Unlink, Concerns(path), [&] { return real(path); });
}

int chmod(const char* path, mode_t mode) {
  NEXT(chmod);
  return CountedPathCall("chmod", Family::Other, Concerns(path), [&] { return real(path, mode); });
}

int fchmodat(int dirfd, const char* path, mode_t mode, int flags) {
  NEXT(fchmodat);
  return CountedPathCall("fchmodat", Family::Other, Concerns(dirfd, path),
                         [&] { return real(dirfd, path, mode, flags); });
}

}  // extern "C"
