#include <windows.h>
#include <oleauto.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

namespace {

// The system's message for an error code, without its closing period and
// line end, so it reads well inside one of our own lines.
std::string ErrorText(DWORD error) {
  char buffer[512] = {};
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' ||
                           text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

}  // namespace

uint32_t Win32System::GetVersion() { return ::GetVersion(); }

void Win32System::WriteStdout(const char* data, size_t size) {
  if (std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0) {
    return;
  }
  // The reader is gone or the disk is full: end now rather than report
  // success for values that never arrived.
  std::exit(1);
}

void Win32System::WriteStderr(const char* data, size_t size) {
  std::fwrite(data, 1, size, stderr);
  std::fflush(stderr);
}

void Win32System::WriteStdoutAsBytes() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

void Win32System::ExitProcess(int code) {
  std::fflush(stdout);
  std::exit(code);
}

const char* Win32System::Bullet() { return "\xFE"; }

FileReadResult Win32System::ReadFile(const std::string& path, size_t limit) {
  FileReadResult result;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    result.reason = "Is a directory";
    return result;
  }
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    result.reason = ErrorText(::GetLastError());
    return result;
  }
  // A saved table is a file on a disk. A read from a device such as COM1 or
  // CON, or from a pipe, waits for data that may never come, and a script
  // must not hang on a mistyped path.
  DWORD fileType = ::GetFileType(file);
  if (fileType != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    result.reason = fileType == FILE_TYPE_PIPE ? "Is a pipe, not a file"
                                               : "Is a device, not a file";
    return result;
  }
  size_t wanted = limit + 1;
  char chunk[65536];
  while (result.bytes.size() < wanted) {
    DWORD ask = static_cast<DWORD>(
        std::min<size_t>(sizeof chunk, wanted - result.bytes.size()));
    DWORD got = 0;
    if (!::ReadFile(file, chunk, ask, &got, nullptr)) {
      result.reason = ErrorText(::GetLastError());
      result.bytes.clear();
      ::CloseHandle(file);
      return result;
    }
    if (got == 0) break;
    result.bytes.insert(result.bytes.end(), chunk, chunk + got);
  }
  ::CloseHandle(file);
  if (result.bytes.size() > limit) {
    result.overLimit = true;
    result.bytes.resize(limit);
  }
  result.ok = true;
  return result;
}

DirectoryListing Win32System::ListDirectory(const std::string& path) {
  DirectoryListing listing;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return listing;
  }
  listing.isDirectory = true;
  bool separated = !path.empty() && (path.back() == '\\' || path.back() == '/');
  std::string prefix = separated ? path : path + "\\";
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD error = ::GetLastError();
    listing.ok = error == ERROR_FILE_NOT_FOUND;  // an empty directory
    if (!listing.ok) listing.reason = ErrorText(error);
    return listing;
  }
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
      listing.refused.emplace_back(prefix + found.cFileName, "not a regular file");
    } else {
      listing.files.push_back(prefix + found.cFileName);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  listing.ok = true;
  return listing;
}

bool Win32System::WriteFileReplacing(const std::string& path,
                                     const uint8_t* data, size_t size,
                                     std::string* reason) {
  std::string temporary =
      path + ".tmp" + std::to_string(::GetCurrentProcessId());
  HANDLE file = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = ErrorText(::GetLastError());
    return false;
  }
  size_t written = 0;
  bool ok = true;
  while (ok && written < size) {
    DWORD part = 0;
    DWORD ask = static_cast<DWORD>(std::min<size_t>(size - written, 1u << 20));
    ok = ::WriteFile(file, data + written, ask, &part, nullptr) && part > 0;
    written += part;
  }
  if (ok) ok = ::FlushFileBuffers(file) != 0;
  DWORD error = ok ? 0 : ::GetLastError();
  ::CloseHandle(file);
  if (ok && !::MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = ::GetLastError();
  }
  if (!ok) {
    ::DeleteFileA(temporary.c_str());
    *reason = ErrorText(error);
  }
  return ok;
}

void* Win32Memory::HeapAlloc(size_t size) { return std::malloc(size); }
void Win32Memory::HeapFree(void* block) { std::free(block); }

uint8_t* Win32Memory::AllocByteString(const uint8_t* data, uint32_t size) {
  return reinterpret_cast<uint8_t*>(
      ::SysAllocStringByteLen(reinterpret_cast<const char*>(data), size));
}

void Win32Memory::FreeByteString(uint8_t* text) {
  ::SysFreeString(reinterpret_cast<BSTR>(text));
}

uint8_t* Win32Memory::NewBlock(size_t size) {
  return new (std::nothrow) uint8_t[size];
}

void Win32Memory::DeleteBlock(uint8_t* block) { delete[] block; }

ModuleHandle Win32Modules::LoadLibraryA(const char* name) {
  return ::LoadLibraryA(name);
}

ModuleHandle Win32Modules::GetModuleHandleA(const char* name) {
  return ::GetModuleHandleA(name);
}

ProcAddress Win32Modules::GetProcAddress(ModuleHandle module, const char* name) {
  return reinterpret_cast<ProcAddress>(
      ::GetProcAddress(static_cast<HMODULE>(module), name));
}

void Win32Modules::FreeLibrary(ModuleHandle module) {
  ::FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace tarnlix::win32

namespace tarnlix {

Platform* NativePlatform() {
  using namespace win32;
  static Win32System system;
  static Win32Memory memory;
  static Win32Modules modules;
  static Win32FirmwareTable firmware;
  static Win32Registry registry;
  static Win32Sections sections;
  static Win32Network network;
  static Win32Console console;
  static Platform native{&system,   &memory,   &modules, &firmware,
                         &registry, &sections, &network, &console};
  return &native;
}

}  // namespace tarnlix
