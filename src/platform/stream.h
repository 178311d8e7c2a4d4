// Byte streams the decoders read from and the writers write to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/native.h"

namespace orv {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position; returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
  // Reads exactly count bytes or raises EReadError.
  void ReadBuffer(void* buffer, int64_t count);
  // Writes exactly count bytes or raises EWriteError.
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies count bytes from source (all of it, from its start, when count is 0).
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
  TMemoryStream(const void* data, size_t size);

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return int64_t(data_.size()); }
  void SetSize(int64_t size) override;

  uint8_t* Memory() { return data_.data(); }
  const uint8_t* Memory() const { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t> TakeBytes();
  void Clear();
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& path);
  void SaveToStream(TStream& target);
  void SaveToFile(const std::string& path);

 private:
  std::vector<uint8_t> data_;
  int64_t pos_ = 0;
};

// The bytes from a stream's position to its end, for parsers that read
// from memory: in place for a memory stream, read in one go otherwise.
// SetConsumed puts the stream right after the bytes a parser took.
class TStreamBytes {
 public:
  explicit TStreamBytes(TStream& stream);
  TStreamBytes(const TStreamBytes&) = delete;
  TStreamBytes& operator=(const TStreamBytes&) = delete;

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  int64_t Start() const { return start_; }
  int64_t StreamSize() const { return stream_size_; }
  void SetConsumed(size_t n) { stream_.Seek(start_ + int64_t(n), soBeginning); }

 private:
  TStream& stream_;
  int64_t start_;
  int64_t stream_size_;
  std::vector<uint8_t> owned_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// File stream over a file of the operating system.
enum TFileMode {
  fmOpenRead = 0,        // read only, shared with other readers
  fmCreate = 1,          // create or truncate, read and write
  fmOpenReadWrite = 2,
};

class TFileStream : public TStream {
 public:
  // Raises EFOpenError "ファイル %s は開けません" when the file cannot be opened.
  TFileStream(const std::string& path, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;
  const std::string& FileName() const { return path_; }

 private:
  std::string path_;
  NativeHandle handle_ = kNoHandle;
};

}  // namespace orv
