#include "platform/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"

namespace orv {

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(int64_t) { throw EWriteError(); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EWriteError();
}

TStreamBytes::TStreamBytes(TStream& stream)
    : stream_(stream), start_(stream.Position()), stream_size_(stream.Size()) {
  const int64_t available = std::max<int64_t>(0, stream_size_ - start_);
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    data_ = memory->Memory() + (available > 0 ? start_ : 0);
    size_ = size_t(available);
    return;
  }
  owned_.resize(size_t(available));
  int64_t got = 0;
  while (got < available) {
    const int64_t n = stream.Read(owned_.data() + got, available - got);
    if (n <= 0) break;
    got += n;
  }
  owned_.resize(size_t(got));
  data_ = owned_.data();
  size_ = owned_.size();
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  int64_t done = 0;
  std::vector<uint8_t> buf(size_t(std::min<int64_t>(std::max<int64_t>(count, 1), 1 << 20)));
  while (done < count) {
    int64_t n = std::min<int64_t>(count - done, int64_t(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    done += n;
  }
  return done;
}

TMemoryStream::TMemoryStream(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || pos_ >= Size()) return 0;
  int64_t n = std::min<int64_t>(count, Size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, size_t(n));
  pos_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) data_.resize(size_t(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, size_t(count));
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
  pos_ = std::max<int64_t>(0, base + offset);
  return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(size_t(std::max<int64_t>(size, 0)));
  pos_ = std::min(pos_, Size());
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
  pos_ = 0;
  return std::move(data_);
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t n = source.Size();
  data_.resize(size_t(n));
  source.ReadBuffer(data_.data(), n);
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
  TFileStream f(path, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& target) { target.WriteBuffer(data_.data(), Size()); }

void TMemoryStream::SaveToFile(const std::string& path) {
  TFileStream f(path, fmCreate);
  SaveToStream(f);
}

}  // namespace orv
