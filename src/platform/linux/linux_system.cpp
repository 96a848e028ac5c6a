#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

// A pipe or device that sends nothing for this long is taken as finished
// badly rather than waited on forever.
constexpr int kReadIdleTimeoutMs = 5000;

}  // namespace

void LinuxSystem::WriteStdout(const char* data, size_t size) {
  if (std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0) {
    return;
  }
  // The reader is gone (a closed pipe) or the disk is full: nothing more can
  // be delivered, so end now instead of reporting success later.
  int error = errno;
  if (error != EPIPE) {
    std::fprintf(stderr, "tarnlix: cannot write standard output: %s\n",
                 std::strerror(error));
  }
  std::exit(1);
}

void LinuxSystem::WriteStderr(const char* data, size_t size) {
  std::fwrite(data, 1, size, stderr);
  std::fflush(stderr);
}

void LinuxSystem::ExitProcess(int code) {
  if (std::fflush(stdout) != 0 && errno != EPIPE) code = code == 0 ? 1 : code;
  std::exit(code);
}

const char* LinuxSystem::Bullet() { return "\xE2\x96\xA0"; }  // U+25A0

FileReadResult LinuxSystem::ReadFile(const std::string& path, size_t limit) {
  FileReadResult result;
  // Non-blocking, so that opening a FIFO without a writer cannot hang.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.reason = std::strerror(errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    result.reason = std::strerror(EISDIR);
    return result;
  }
  std::vector<uint8_t>& bytes = result.bytes;
  size_t wanted = limit + 1;
  if (S_ISREG(info.st_mode) && info.st_size >= 0) {
    bytes.reserve(std::min<size_t>(static_cast<size_t>(info.st_size), wanted));
  }
  uint8_t chunk[65536];
  while (bytes.size() < wanted) {
    size_t ask = std::min(sizeof chunk, wanted - bytes.size());
    ssize_t got = ::read(fd, chunk, ask);
    if (got > 0) {
      bytes.insert(bytes.end(), chunk, chunk + got);
      continue;
    }
    if (got == 0) break;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      struct pollfd wait {fd, POLLIN, 0};
      int ready = ::poll(&wait, 1, kReadIdleTimeoutMs);
      if (ready > 0) continue;
      if (ready < 0 && errno == EINTR) continue;
      ::close(fd);
      result.bytes.clear();
      result.reason = "no data arrived within 5 seconds";
      return result;
    }
    result.reason = std::strerror(errno);
    ::close(fd);
    result.bytes.clear();
    return result;
  }
  ::close(fd);
  if (bytes.size() > limit) {
    result.overLimit = true;
    bytes.resize(limit);
  }
  result.ok = true;
  return result;
}

DirectoryListing LinuxSystem::ListDirectory(const std::string& path) {
  DirectoryListing listing;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return listing;
  listing.isDirectory = true;
  DIR* directory = ::opendir(path.c_str());
  if (directory == nullptr) {
    listing.reason = std::strerror(errno);
    return listing;
  }
  std::string prefix = !path.empty() && path.back() == '/' ? path : path + "/";
  while (const struct dirent* entry = ::readdir(directory)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string file = prefix + name;
    // A link counts as what it leads to; one that leads nowhere is refused.
    if (::stat(file.c_str(), &info) != 0) {
      listing.refused.emplace_back(std::move(file), std::strerror(errno));
    } else if (S_ISREG(info.st_mode)) {
      listing.files.push_back(std::move(file));
    } else if (!S_ISDIR(info.st_mode)) {
      listing.refused.emplace_back(std::move(file), "not a regular file");
    }
  }
  ::closedir(directory);
  listing.ok = true;
  return listing;
}

bool LinuxSystem::WriteFileReplacing(const std::string& path,
                                     const uint8_t* data, size_t size,
                                     std::string* reason) {
  std::string temporary = path + ".XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    *reason = std::strerror(errno);
    return false;
  }
  size_t written = 0;
  while (written < size) {
    ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *reason = std::strerror(n < 0 ? errno : EIO);
      ::close(fd);
      ::unlink(temporary.c_str());
      return false;
    }
    written += static_cast<size_t>(n);
  }
  // mkstemp creates the file private; a saved table is an ordinary file.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    *reason = std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    *reason = std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

void* LinuxMemory::HeapAlloc(size_t size) { return std::malloc(size); }
void LinuxMemory::HeapFree(void* block) { std::free(block); }

// A length-prefixed byte string, laid out as the Windows one: a 32-bit byte
// count, the bytes, then a terminating zero; the pointer is to the bytes.
uint8_t* LinuxMemory::AllocByteString(const uint8_t* data, uint32_t size) {
  auto* block = static_cast<uint8_t*>(std::malloc(size_t{size} + 6));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, 4);
  if (data != nullptr) std::memcpy(block + 4, data, size);
  block[4 + size] = 0;
  block[5 + size] = 0;
  return block + 4;
}

void LinuxMemory::FreeByteString(uint8_t* text) {
  if (text != nullptr) std::free(text - 4);
}

uint8_t* LinuxMemory::NewBlock(size_t size) {
  return new (std::nothrow) uint8_t[size];
}

void LinuxMemory::DeleteBlock(uint8_t* block) { delete[] block; }

bool ReadTextFile(const std::string& path, std::string* text) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  size_t got = std::fread(buffer, 1, sizeof buffer, file);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return false;
  text->assign(buffer, got);
  if (!text->empty() && text->back() == '\n') text->pop_back();
  return true;
}

PlainFileRead ReadPlainFile(const std::string& path, size_t limit, std::string* bytes) {
  bytes->clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return PlainFileRead::Failed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return PlainFileRead::Failed;
  }
  // One byte past the limit tells an oversized file from one that fits.
  const size_t wanted = limit + 1;
  char chunk[65536];
  bool failed = false;
  while (bytes->size() < wanted) {
    ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, wanted - bytes->size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    bytes->append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  if (failed) {
    bytes->clear();
    return PlainFileRead::Failed;
  }
  if (bytes->size() <= limit) return PlainFileRead::Whole;
  bytes->resize(limit);
  return PlainFileRead::OverLimit;
}

}  // namespace tarnlix::linux_backend

namespace tarnlix {

Platform* NativePlatform() {
  using namespace linux_backend;
  static LinuxSystem system;
  static LinuxMemory memory;
  static LinuxConsole console;
  static LinuxIdentity identity;
  static LinuxTables tables;
  static LinuxNetwork network;
  static Platform native{.system = &system,
                         .memory = &memory,
                         .console = &console,
                         .identity = &identity,
                         .linuxTables = &tables,
                         .linuxNetwork = &network};
  // A closed pipe is reported by the write itself, not by a signal.
  std::signal(SIGPIPE, SIG_IGN);
  return &native;
}

}  // namespace tarnlix
