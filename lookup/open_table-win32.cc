#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "lookup/open_table.h"

namespace pavrel {

namespace {

// The stamp of an open handle: the size from its standard information, the last write and
// change times (100 ns units) from its basic information.
bool StampHandle(HANDLE handle, FileStamp& stamp) {
  FILE_STANDARD_INFO standard{};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
    return false;
  }
  stamp = {static_cast<std::uintmax_t>(standard.EndOfFile.QuadPart), basic.LastWriteTime.QuadPart,
           0, basic.ChangeTime.QuadPart, 0};
  return true;
}

}  // namespace

std::FILE* OpenRegularFile(const std::filesystem::path& path, FileStamp& stamp) {
  // Every kind of sharing, so that an editor can still save, replace or delete the table while a
  // lookup reads it.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // Only a file on a disk: a pipe, a console or a device such as NUL or COM1 is refused, and a
  // folder (opened only with FILE_FLAG_BACKUP_SEMANTICS, so normally refused above) too.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !StampHandle(handle, stamp)) {
    CloseHandle(handle);
    return nullptr;
  }
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

bool StampOpenFile(std::FILE* stream, FileStamp& stamp) {
  const intptr_t handle = _get_osfhandle(_fileno(stream));
  return handle != -1 && StampHandle(reinterpret_cast<HANDLE>(handle), stamp);
}

}  // namespace pavrel
