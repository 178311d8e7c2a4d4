#include "platform/stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/exceptions.h"
#include "support/test_support.h"

namespace orv {
namespace {

TEST(TMemoryStream, ReadsWritesAndSeeks) {
  TMemoryStream s;
  s.WriteBuffer("hello", 5);
  EXPECT_EQ(s.Size(), 5);
  EXPECT_EQ(s.Position(), 5);
  s.Seek(-2, soEnd);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_STREQ(buf, "lo");
  EXPECT_EQ(s.Read(buf, 8), 0);
  s.SetPosition(7);  // past the end: writing fills the gap with zeros
  s.WriteBuffer("!", 1);
  EXPECT_EQ(s.Size(), 8);
  EXPECT_EQ(s.Bytes()[5], 0);
  s.Seek(-100, soCurrent);
  EXPECT_EQ(s.Position(), 0);
}

TEST(TMemoryStream, ReadBufferRaisesTheReadErrorOnAShortRead) {
  TMemoryStream s(std::vector<uint8_t>{1, 2, 3});
  uint8_t buf[4];
  try {
    s.ReadBuffer(buf, 4);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "ストリームからの読み込みエラー");
  }
}

TEST(TStream, CopyFromWithZeroCopiesAllFromTheStart) {
  TMemoryStream a(std::vector<uint8_t>{1, 2, 3, 4});
  a.SetPosition(3);
  TMemoryStream b;
  EXPECT_EQ(b.CopyFrom(a, 0), 4);
  EXPECT_EQ(b.Bytes(), (std::vector<uint8_t>{1, 2, 3, 4}));
  a.SetPosition(1);
  TMemoryStream c;
  c.CopyFrom(a, 2);
  EXPECT_EQ(c.Bytes(), (std::vector<uint8_t>{2, 3}));
  EXPECT_THROW(c.CopyFrom(a, 5), EReadError);
}

TEST(TFileStream, WritesThenReadsBack) {
  test::TempDir dir;
  {
    TFileStream f(dir / "a.bin", fmCreate);
    f.WriteBuffer("abcdef", 6);
  }
  TFileStream f(dir / "a.bin", fmOpenRead);
  EXPECT_EQ(f.Size(), 6);
  f.Seek(2, soBeginning);
  char buf[4] = {};
  f.ReadBuffer(buf, 3);
  EXPECT_STREQ(buf, "cde");
  EXPECT_THROW(f.ReadBuffer(buf, 3), EReadError);
}

TEST(TFileStream, OpenFailuresNameThePath) {
  test::TempDir dir;
  mkfifo((dir / "fifo.jpg").c_str(), 0600);
  for (const std::string& path : {dir / "missing.jpg", dir.path(), dir / "fifo.jpg"}) {
    try {
      TFileStream f(path, fmOpenRead);
      FAIL() << path;
    } catch (const EFOpenError& e) {
      EXPECT_EQ(e.Message(), "ファイル " + path + " は開けません");
    }
  }
}

TEST(TMemoryStream, LoadsAFile) {
  test::TempDir dir;
  test::WriteFile(dir / "x", std::string("\0\1\2", 3));
  TMemoryStream m;
  m.LoadFromFile(dir / "x");
  EXPECT_EQ(m.Bytes(), (std::vector<uint8_t>{0, 1, 2}));
}

}  // namespace
}  // namespace orv
