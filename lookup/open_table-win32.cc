#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "lookup/open_table.h"

namespace pavrel {

std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uintmax_t& size) {
  // Every kind of sharing, so that an editor can still save, replace or delete the table while a
  // lookup reads it.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // Only a file on a disk: a pipe, a console or a device such as NUL or COM1 is refused, and a
  // folder (opened only with FILE_FLAG_BACKUP_SEMANTICS, so normally refused above) too.
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER file_size{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      !GetFileSizeEx(handle, &file_size)) {
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
  size = static_cast<std::uintmax_t>(file_size.QuadPart);
  return stream;
}

}  // namespace pavrel
