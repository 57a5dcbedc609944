#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string_view>

#include "table/open_table.h"

namespace pavrel {

namespace {

// A file time of Windows (100 ns units since 1601) on the system clock's scale.
FileTime TimeOf(const LARGE_INTEGER& time) {
  constexpr std::int64_t kUnitsFrom1601To1970 = 116444736000000000;
  return FileTime(std::chrono::nanoseconds((time.QuadPart - kUnitsFrom1601To1970) * 100));
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
    failure = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                  ? TableFailure::kMissing
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

StampClock StampClockOf(std::FILE* stream, const std::filesystem::path& path) {
  // A share's server sets the stamps, whether it is named by its path or by a drive letter.
  wchar_t root[MAX_PATH];
  std::error_code ignored;
  if (GetVolumePathNameW(std::filesystem::absolute(path, ignored).c_str(), root, MAX_PATH) &&
      GetDriveTypeW(root) == DRIVE_REMOTE) {
    return {{}, false};
  }
  wchar_t file_system[MAX_PATH + 1] = L"";
  GetVolumeInformationByHandleW(HandleOf(stream), nullptr, 0, nullptr, nullptr, nullptr,
                                file_system, MAX_PATH + 1);
  if (std::wstring_view(file_system).starts_with(L"FAT")) return {std::chrono::seconds(2), true};
  if (std::wstring_view(file_system) == L"exFAT") return {std::chrono::milliseconds(10), true};
  return {};
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
