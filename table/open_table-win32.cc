#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "table/open_table.h"

namespace pavrel {

namespace {

// A file time of Windows (100 ns units since 1601) on the system clock's scale.
FileTime TimeOf(const LARGE_INTEGER& time) {
  constexpr std::int64_t kUnitsFrom1601To1970 = 116444736000000000;
  // Nanoseconds from 1970 reach only from 1677 to 2262; a time outside is held at its edge.
  constexpr std::int64_t kReach = INT64_MAX / 100;
  const std::int64_t units = std::clamp(time.QuadPart - kUnitsFrom1601To1970, -kReach, kReach);
  return FileTime(std::chrono::nanoseconds(units * 100));
}

// Updates `stamp` to the size and times of an open handle: the size from its standard
// information, the last write and change times from its basic information (the last write time
// for both where the file system keeps no change time, as FAT).
bool StampHandle(HANDLE handle, FileStamp& stamp) {
  FILE_STANDARD_INFO standard{};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
    return false;
  }
  stamp.size = static_cast<std::uintmax_t>(standard.EndOfFile.QuadPart);
  stamp.modified = TimeOf(basic.LastWriteTime);
  stamp.changed = TimeOf(basic.ChangeTime.QuadPart != 0 ? basic.ChangeTime : basic.LastWriteTime);
  return true;
}

HANDLE HandleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

std::FILE* OpenRegularFile(const std::filesystem::path& path, FileStamp& stamp,
                           TableFailure& failure) {
  // Every kind of sharing, so that an editor can still save, replace or delete the table while a
  // lookup reads it.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A folder is opened only with FILE_FLAG_BACKUP_SEMANTICS: without, it is refused as a file
    // that may not be read.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // Another program's open without sharing, or its lock, keeps us out only for a while.
    failure =
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND      ? TableFailure::kMissing
        : error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? TableFailure::kBusy
        : attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
            ? TableFailure::kNotRegularFile
            : TableFailure::kUnreadable;
    return nullptr;
  }
  // Only a file on a disk: a pipe, a console or a device such as NUL or COM1 is refused.
  failure = TableFailure::kUnreadable;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK) failure = TableFailure::kNotRegularFile;
  if (failure == TableFailure::kNotRegularFile || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !StampHandle(handle, stamp)) {
    CloseHandle(handle);
    return nullptr;
  }
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  // The descriptor owns the handle from here on, and the stream owns the descriptor.
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "rb");
  if (stream == nullptr) {
    _close(fd);
    return nullptr;
  }
  return stream;
}

StampClock StampClockOf(std::FILE* stream) {
  // Asked of the open file, not of its path, which a link may lead elsewhere. Where the answer
  // cannot be had, the stamps are taken for another clock's, which costs a second reading only.
  constexpr StampClock kForeign{std::chrono::seconds(2), false};
  const HANDLE handle = HandleOf(stream);
  // Only a file on a network share has a remote protocol.
  FILE_REMOTE_PROTOCOL_INFO remote{};
  if (handle == INVALID_HANDLE_VALUE ||
      GetFileInformationByHandleEx(handle, FileRemoteProtocolInfo, &remote, sizeof remote)) {
    return kForeign;
  }
  wchar_t name[MAX_PATH + 1] = L"";
  if (!GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, nullptr, name,
                                     MAX_PATH + 1)) {
    return kForeign;
  }
  const std::wstring_view file_system = name;
  if (file_system == L"NTFS" || file_system == L"ReFS") return {};
  if (file_system.starts_with(L"FAT")) return {std::chrono::seconds(2), true};
  if (file_system == L"exFAT") return {std::chrono::milliseconds(10), true};
  // A file system of a user-space driver (WinFsp, Dokan) or of another kind: its own clock.
  return kForeign;
}

bool StampOpenFile(std::FILE* stream, FileStamp& stamp) {
  const HANDLE handle = HandleOf(stream);
  return handle != INVALID_HANDLE_VALUE && StampHandle(handle, stamp);
}

// NTFS may note a write through a handle and set the file's times only when that handle is
// closed, the one moment at which Windows promises them to be right. So another handle with
// write access means writes the times may not show yet. A second open of the same file that lets
// others read and delete but not write fails exactly while such a handle exists; it is closed at
// once, so it keeps no writer out.
bool HeldOpenForWriting(std::FILE* stream) {
  const HANDLE handle = HandleOf(stream);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const HANDLE probe = ReOpenFile(handle, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, 0);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(probe);
  return false;
}

}  // namespace pavrel
