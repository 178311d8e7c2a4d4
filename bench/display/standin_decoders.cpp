#include "standin_decoders.h"

#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <vector>

#include "picture/picture.h"

namespace orv::bench {

namespace {

struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

class StandInJpeg : public TGraphic {
 public:
  const TGraphicClass* ClassType() const override;
  void LoadFromStream(TStream& stream) override {
    data_.resize(size_t(stream.Size() - stream.Position()));
    stream.ReadBuffer(data_.data(), int64_t(data_.size()));
    decoded_.Clear();
  }
  int Width() const override { return decoded_.Width(); }
  int Height() const override { return decoded_.Height(); }
  bool Empty() const override { return data_.empty(); }
  void Draw(TCanvas&, const TRect&) override {}
  void AssignTo(TBitmap& dest) override {
    if (decoded_.Empty()) Decode();
    dest.Assign(decoded_);
  }

 private:
  void Decode() {
    jpeg_decompress_struct cinfo;
    ErrorJump err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<ErrorJump*>(c->err)->jump, 1); };
    if (setjmp(err.jump)) {
      jpeg_destroy_decompress(&cinfo);
      throw EInvalidGraphic("JPEG エラー");
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data_.data(), static_cast<unsigned long>(data_.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    jpeg_start_decompress(&cinfo);
    if (!PictureSizeAllowed(cinfo.output_width, cinfo.output_height)) longjmp(err.jump, 1);
    decoded_.Allocate(int(cinfo.output_width), int(cinfo.output_height), pf24bit, false);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = decoded_.ScanLine(int(cinfo.output_scanline));
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
  }

  std::vector<uint8_t> data_;
  TBitmap decoded_;
};

// Plain 24-bit BI_RGB files, bottom-up or top-down.
class StandInBmp : public TGraphic {
 public:
  const TGraphicClass* ClassType() const override;
  void LoadFromStream(TStream& s) override {
    uint8_t h[54];
    s.ReadBuffer(h, sizeof h);
    auto u32 = [&](int o) { return uint32_t(h[o]) | uint32_t(h[o + 1]) << 8 | uint32_t(h[o + 2]) << 16 | uint32_t(h[o + 3]) << 24; };
    const int32_t w = int32_t(u32(18)), raw_h = int32_t(u32(22));
    const int bits = h[28] | h[29] << 8;
    const int32_t height = raw_h < 0 ? -raw_h : raw_h;
    if (h[0] != 'B' || h[1] != 'M' || bits != 24 || u32(30) != 0 || w <= 0 || height <= 0 ||
        !PictureSizeAllowed(w, height))
      throw EInvalidGraphic("ビットマップイメージが不正です");
    bitmap_.Allocate(w, height, pf24bit, false);
    s.SetPosition(u32(10));
    for (int y = 0; y < height; ++y)
      s.ReadBuffer(bitmap_.ScanLine(raw_h < 0 ? y : height - 1 - y), int64_t(bitmap_.Stride()));
  }
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  bool Empty() const override { return bitmap_.Empty(); }
  void Draw(TCanvas&, const TRect&) override {}
  void AssignTo(TBitmap& dest) override { dest.Assign(bitmap_); }

 private:
  TBitmap bitmap_;
};

const TGraphicClass kStandInJpeg{"TStandInJpeg", nullptr, [] { return std::unique_ptr<TGraphic>(new StandInJpeg); }};
const TGraphicClass kStandInBmp{"TStandInBmp", nullptr, [] { return std::unique_ptr<TGraphic>(new StandInBmp); }};
const TGraphicClass* StandInJpeg::ClassType() const { return &kStandInJpeg; }
const TGraphicClass* StandInBmp::ClassType() const { return &kStandInBmp; }

}  // namespace

void RegisterStandIn(const std::string& extension) {
  TFileFormatsList::Instance().Add(extension, "stand-in", extension == "bmp" ? &kStandInBmp : &kStandInJpeg);
}

}  // namespace orv::bench
