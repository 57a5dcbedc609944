// Sequential reading of the lookup table, a text file in UTF-8, in UTF-16 or in code page 936 with
// GB18030's four-byte sequences (table_encoding.h), cut into records.
//
// Records are separated by a comma or a line end (CR LF, a lone CR or a lone LF); a line end
// after the last record is optional. Spaces (not tabs) in front of a record are skipped. A record
// that begins with a double quote runs to the next double quote, line ends and commas included,
// and whatever follows the closing quote up to the next delimiter is dropped; a quote that is
// never closed ends at the end of the file. An unquoted record runs up to the next comma or line
// end, trailing spaces included. An empty line is one empty record.
//
// The file is read in one forward pass through a bounded buffer and is never held whole: a
// record keeps at most kMaxRecordLength characters and the rest of it is read past. The file is
// read as large as it was when opened; one that shrinks while it is read throws RecordFileChanged,
// and so does one that has grown past a last record that ran into that size, which may be cut
// short. One rewritten in place, at any size, is told by ChangedSinceOpened.
//
// A comma, double quote, CR or LF byte is never part of a longer character in either encoding,
// so records are cut over bytes and only the characters that are kept are decoded. A record
// begins with a key when its first character and the key fold to the same one (gb18030.h).

#ifndef PAVREL_TABLE_RECORD_FILE_H_
#define PAVREL_TABLE_RECORD_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/table_encoding.h"
#include "table/open_table.h"
#include "table/record_file_scan.h"

namespace pavrel {

// The most characters of one record that are kept.
constexpr std::size_t kMaxRecordLength = 4096;

// Thrown when the record file cannot be opened or read, with the reason.
class RecordFileError : public std::runtime_error {
 public:
  RecordFileError(TableFailure failure, const char* what)
      : std::runtime_error(what), failure_(failure) {}

  TableFailure failure() const { return failure_; }

 private:
  TableFailure failure_;
};

// Thrown when the file's size changed while it was read: it shrank, or it grew past a last record
// that ran into its size as opened.
class RecordFileChanged : public RecordFileError {
 public:
  explicit RecordFileChanged(const char* what) : RecordFileError(TableFailure::kBusy, what) {}
};

// An open record file. It closes itself when destroyed, however the reading ends. Every member
// but Close may throw RecordFileError.
class RecordFile {
 public:
  // Opens a regular file for reading. A missing or unreadable file, a directory, a FIFO or a
  // device is an error, so that a lookup never blocks on it or reads without end.
  explicit RecordFile(const std::filesystem::path& path);
  RecordFile(RecordFile&&) = default;
  RecordFile& operator=(RecordFile&&) = default;

  // Returns true when no unread data remains.
  bool AtEnd();

  // Reads the next record. Requires !AtEnd().
  std::u32string ReadRecord();

  // Reads the next record like ReadRecord, but decodes it only if its first character is `key`
  // (if it is empty, for an empty `key`): then stores it in `record` and returns true. Otherwise
  // reads past it and returns false. Requires !AtEnd().
  bool ReadRecordWithKey(std::u32string_view key, std::u32string& record);

  // Reads records like ReadRecordWithKey until one matches and returns true, or until the end of
  // the file and returns false. It searches the bytes for the key instead of reading record by
  // record, many times faster; for the empty key, only up to each double quote.
  bool FindRecordWithKey(std::u32string_view key, std::u32string& record);

  // The same for a record whose first character is any of the characters of `keys`, which is
  // then in `record`; for empty `keys`, an empty record. The bytes are searched for each key's.
  bool ReadRecordWithAnyKey(std::u32string_view keys, std::u32string& record);
  bool FindRecordWithAnyKey(std::u32string_view keys, std::u32string& record);

  // Tells whether the open file's size, modification or change time differs from when it was
  // opened: whether what was read may mix two versions of it. Requires an open file.
  bool ChangedSinceOpened();

  // The file's stamp when it was opened, and where such stamps come from.
  const FileStamp& StampAtOpen() const { return opened_; }
  const StampClock& ClockOfStamps() const { return stamp_clock_; }

  // Tells whether another program holds the open file open for writing where its writes may not
  // show in the stamp until then (see HeldOpenForWriting). Requires an open file.
  bool HeldByWriter();

  // Releases the file; afterwards it reads as ended.
  void Close();

 private:
  struct Closer {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
  };

  bool MoreToRead() const { return unread_size_ > 0 || utf16_begin_ < utf16_end_; }
  std::size_t Fill(std::size_t wanted);
  std::size_t ReadFile(char* into, std::size_t room);
  void ConvertUtf16();
  void ReadByteOrderMark();
  void GuessEncodingFrom(std::size_t from);
  bool OpenQuote();
  char32_t PeekFirstChar(bool quoted);
  void DecodeField(bool quoted, std::u32string& record);
  void SkipField(bool quoted);
  void SkipSpaces();
  void FinishRecord(bool quoted);

  FileStamp opened_;
  StampClock stamp_clock_;
  std::unique_ptr<std::FILE, Closer> stream_;
  std::uintmax_t unread_size_ = 0;  // bytes of the file as opened that are not yet read
  std::vector<char> buffer_;
  std::size_t pos_ = 0;      // next unread byte in buffer_
  std::size_t end_ = 0;      // end of the valid bytes in buffer_
  std::uint64_t fills_ = 0;  // counts the moves of buffer_'s bytes, for searches that keep places
  SearchPlaces places_;      // what the byte searches found in buffer_ (FindRecordWithAnyKey)
  bool grown_ = false;       // the file was longer at the last read than when opened
  // The encoding, which the first byte past ASCII decides where there is no byte order mark, and
  // its decoder, null before the first read.
  TableEncoding encoding_ = TableEncoding::kGb18030;
  bool decided_ = false;
  CharDecoder decode_ = nullptr;
  // A UTF-16 table's bytes read but not yet converted into buffer_: [utf16_begin_, utf16_end_).
  ByteOrderMark::Kind utf16_ = ByteOrderMark::kNone;
  std::vector<char> utf16_bytes_;
  std::size_t utf16_begin_ = 0, utf16_end_ = 0;
};

// The reader's operations as free functions, in the words of the lookup command.
inline RecordFile OpenRecordFile(const std::filesystem::path& path) { return RecordFile(path); }
inline bool AtEnd(RecordFile& file) { return file.AtEnd(); }
inline std::u32string ReadRecord(RecordFile& file) { return file.ReadRecord(); }
inline bool ReadRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record) {
  return file.ReadRecordWithKey(key, record);
}
inline bool FindRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record) {
  return file.FindRecordWithKey(key, record);
}
inline bool ReadRecordWithAnyKey(RecordFile& file, std::u32string_view keys,
                                 std::u32string& record) {
  return file.ReadRecordWithAnyKey(keys, record);
}
inline bool FindRecordWithAnyKey(RecordFile& file, std::u32string_view keys,
                                 std::u32string& record) {
  return file.FindRecordWithAnyKey(keys, record);
}
inline bool ChangedSinceOpened(RecordFile& file) { return file.ChangedSinceOpened(); }
inline const FileStamp& StampAtOpen(const RecordFile& file) { return file.StampAtOpen(); }
inline bool HeldByWriter(RecordFile& file) { return file.HeldByWriter(); }
inline void CloseRecordFile(RecordFile& file) { file.Close(); }

}  // namespace pavrel

#endif  // PAVREL_TABLE_RECORD_FILE_H_
