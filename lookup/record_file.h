// Sequential reading of the lookup table, a text file in code page 936 cut into records.
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
// read as large as it was when opened; one that shrinks while it is read is a read failure, and
// so is one that has grown past a last record that ran into that size, which may be cut short.
//
// A comma, double quote, CR or LF byte is never half of a code page 936 character, so records
// are cut over bytes and only the characters that are kept are decoded.

#ifndef PAVREL_LOOKUP_RECORD_FILE_H_
#define PAVREL_LOOKUP_RECORD_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

// The most characters of one record that are kept.
constexpr std::size_t kMaxRecordLength = 4096;

// Thrown when the record file cannot be opened or read.
class RecordFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An open record file. It closes itself when destroyed, however the reading ends.
class RecordFile {
 public:
  RecordFile(RecordFile&&) = default;
  RecordFile& operator=(RecordFile&&) = default;

 private:
  struct Closer {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
  };

  RecordFile(std::FILE* stream, std::uintmax_t size);

  friend RecordFile OpenRecordFile(const std::filesystem::path& path);
  friend bool AtEnd(RecordFile& file);
  friend std::u32string ReadRecord(RecordFile& file);
  friend bool ReadRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record);
  friend bool FindRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record);
  friend void CloseRecordFile(RecordFile& file);

  std::size_t Fill(std::size_t wanted);
  bool OpenQuote();
  char32_t PeekFirstChar(bool quoted);
  void DecodeField(bool quoted, std::u32string& record);
  void SkipField(bool quoted);
  void SkipSpaces();
  void FinishRecord(bool quoted);
  struct KeyBytes;  // how a key looks in the file's bytes
  static KeyBytes EncodeKey(std::u32string_view key);
  void SkipRecordsWithoutKey(const KeyBytes& key);

  std::unique_ptr<std::FILE, Closer> stream_;
  std::uintmax_t unread_size_;  // bytes of the file as opened that are not yet in the buffer
  std::vector<char> buffer_;
  std::size_t pos_ = 0;  // next unread byte in buffer_
  std::size_t end_ = 0;  // end of the valid bytes in buffer_
  bool grown_ = false;   // the file was longer at the last read than when opened
};

// The operations of one lookup: the four plain ones, then two that read past the records that do
// not match without decoding them. Every one of them may throw RecordFileError.

// Opens a regular file for reading. A missing or unreadable file, a directory, a FIFO or a device
// is an error, so that a lookup never blocks on it or reads without end.
RecordFile OpenRecordFile(const std::filesystem::path& path);

// Returns true when no unread data remains.
bool AtEnd(RecordFile& file);

// Reads the next record. Requires !AtEnd(file).
std::u32string ReadRecord(RecordFile& file);

// Reads the next record like ReadRecord, but decodes it only if its first character is `key` (if
// it is empty, for an empty `key`): then stores it in `record` and returns true. Otherwise reads
// past it and returns false. Requires !AtEnd(file).
bool ReadRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record);

// Reads records like ReadRecordWithKey until one matches and returns true, or until the end of
// the file and returns false. Between quotes and buffer edges it searches the bytes for the key
// instead of reading record by record, many times faster.
bool FindRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record);

// Releases the file; afterwards it reads as ended.
void CloseRecordFile(RecordFile& file);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_RECORD_FILE_H_
