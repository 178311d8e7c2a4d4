// Our decoder against giflib, the referee: generated streams (our own writer,
// giflib's writer and ImageMagick's convert) must decode to the same pixels,
// frame by frame and as the composed first frame. Damaged files may end
// differently (we accept some that giflib refuses); they must never crash
// and, where giflib reads a frame whole, agree on it.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "gif/gif_test_util.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

// --- giflib as referee ---

struct RefFrame {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes raster;
  std::vector<uint32_t> colors;  // active table as 0xRRGGBB
};

struct RefImage {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<RefFrame> frames;  // frames read whole
};

struct MemReader {
  const Bytes* data;
  size_t pos = 0;
};

int ReadMem(GifFileType* gif, GifByteType* buf, int n) {
  auto* r = static_cast<MemReader*>(gif->UserData);
  size_t k = std::min(size_t(n), r->data->size() - r->pos);
  if (k == 0) return 0;
  std::memcpy(buf, r->data->data() + r->pos, k);
  r->pos += k;
  return int(k);
}

std::vector<uint32_t> Table(const ColorMapObject* map) {
  std::vector<uint32_t> t;
  if (!map) return t;
  for (int i = 0; i < map->ColorCount; ++i)
    t.push_back(uint32_t(map->Colors[i].Red) << 16 | uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue);
  return t;
}

RefImage Giflib(const Bytes& data) {
  RefImage ref;
  MemReader reader{&data};
  int err = 0;
  GifFileType* gif = DGifOpen(&reader, ReadMem, &err);
  if (!gif) return ref;
  ref.ok = DGifSlurp(gif) == GIF_OK;
  ref.width = gif->SWidth;
  ref.height = gif->SHeight;
  const int whole = ref.ok ? gif->ImageCount : std::max(0, gif->ImageCount - 1);
  for (int i = 0; i < whole; ++i) {
    const SavedImage& s = gif->SavedImages[i];
    RefFrame f;
    f.left = s.ImageDesc.Left;
    f.top = s.ImageDesc.Top;
    f.width = s.ImageDesc.Width;
    f.height = s.ImageDesc.Height;
    if (s.RasterBits) f.raster.assign(s.RasterBits, s.RasterBits + size_t(f.width) * size_t(f.height));
    f.colors = Table(s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap);
    ref.frames.push_back(std::move(f));
  }
  DGifCloseFile(gif, &err);
  return ref;
}

// The first frame on a black logical screen, its pixels' table colours.
std::vector<int32_t> ComposeFirst(const RefImage& ref) {
  std::vector<int32_t> out(size_t(ref.width) * size_t(ref.height), 0);
  if (ref.frames.empty()) return out;
  const RefFrame& f = ref.frames[0];
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const int X = f.left + x, Y = f.top + y;
      if (X >= ref.width || Y >= ref.height) continue;
      const uint8_t idx = f.raster[size_t(y) * size_t(f.width) + size_t(x)];
      const uint32_t c = idx < f.colors.size() ? f.colors[idx] : 0;
      out[size_t(Y) * size_t(ref.width) + size_t(X)] = RGB(int(c >> 16), int((c >> 8) & 255), int(c & 255));
    }
  return out;
}

// Our frames with pixels, in order.
std::vector<TGIFSubImage*> PixelFrames(TGIFImage& img) {
  std::vector<TGIFSubImage*> v;
  for (int i = 0; i < img.Images().Count(); ++i)
    if (!img.Images()[i]->Empty()) v.push_back(img.Images()[i]);
  return v;
}

void ExpectSameAsGiflib(const Bytes& data, const std::string& what) {
  SCOPED_TRACE(what);
  const RefImage ref = Giflib(data);
  ASSERT_TRUE(ref.ok) << "giflib refused the stream";
  Loaded ours = LoadGif(data);
  ASSERT_EQ(ours.error, "");
  EXPECT_TRUE(ours.warnings.empty()) << ours.warnings.front();
  std::vector<TGIFSubImage*> frames = PixelFrames(*ours.image);
  ASSERT_EQ(frames.size(), ref.frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    const RefFrame& r = ref.frames[i];
    ASSERT_EQ(frames[i]->BoundsRect(), Bounds(r.left, r.top, r.width, r.height)) << "frame " << i;
    ASSERT_TRUE(std::equal(r.raster.begin(), r.raster.end(), frames[i]->Data())) << "frame " << i;
  }
  TBitmap bmp;
  ours.image->CopyToBitmap(bmp);
  EXPECT_EQ(Colors(bmp), ComposeFirst(ref));
}

// --- corpus from our own writer ---

std::vector<uint32_t> Colors256(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> t(static_cast<size_t>(n));
  for (auto& c : t) c = rng() & 0xFFFFFF;
  return t;
}

Bytes Noise(size_t n, int colors, unsigned seed, int smooth) {
  std::mt19937 rng(seed);
  Bytes p(n);
  for (size_t i = 0; i < n; ++i) p[i] = (smooth > 1 && i % size_t(smooth)) ? p[i - 1] : uint8_t(rng() % unsigned(colors));
  return p;
}

FramePlan MakeFrame(int x, int y, int w, int h, int colors, unsigned seed, int smooth = 3) {
  FramePlan f;
  f.left = x;
  f.top = y;
  f.width = w;
  f.height = h;
  f.pixels = Noise(size_t(w) * h, colors, seed, smooth);
  int bits = 1;
  while ((1 << bits) < colors) ++bits;
  f.lzw.min_code_size = std::max(2, bits);
  return f;
}

TEST(GIFConformance, EveryTableSizeGlobalAndLocal) {
  for (int code = 0; code < 8; ++code) {
    const int n = 2 << code;
    GifPlan s;
    s.width = 33;
    s.height = 17;
    s.global = Colors256(n, unsigned(code));
    s.frames.push_back(MakeFrame(0, 0, 33, 17, n, unsigned(code)));
    ExpectSameAsGiflib(BuildGif(s), "global " + std::to_string(n));
    GifPlan l = s;
    l.global.clear();
    l.frames[0].local = Colors256(n, unsigned(code + 100));
    ExpectSameAsGiflib(BuildGif(l), "local " + std::to_string(n));
  }
}

TEST(GIFConformance, CodeSizesTwoToEightAndFullTables) {
  for (int bits = 2; bits <= 8; ++bits) {
    for (bool deferred : {false, true}) {
      GifPlan s;
      s.width = 257;
      s.height = 129;
      s.global = Colors256(1 << bits, unsigned(bits));
      FramePlan f = MakeFrame(0, 0, 257, 129, 1 << bits, unsigned(bits) * 3, 1);  // noise fills the table
      f.lzw.min_code_size = bits;
      f.lzw.clear_when_full = !deferred;
      s.frames.push_back(f);
      ExpectSameAsGiflib(BuildGif(s), "bits " + std::to_string(bits) + (deferred ? " deferred clear" : ""));
    }
  }
}

TEST(GIFConformance, OddEncodings) {
  struct Case {
    const char* name;
    LZWOptions lzw;
  };
  std::vector<Case> cases;
  for (int block : {1, 2, 3, 100, 254}) {
    LZWOptions o;
    o.block_size = block;
    cases.push_back({"block size", o});
  }
  LZWOptions clears;
  clears.clear_every = 17;
  cases.push_back({"frequent clears", clears});
  LZWOptions twice;
  twice.double_clear = true;
  cases.push_back({"two clears", twice});
  for (const Case& c : cases) {
    GifPlan s;
    s.width = 61;
    s.height = 47;
    s.global = Colors256(256, 9);
    FramePlan f = MakeFrame(0, 0, 61, 47, 256, 4, 2);
    f.lzw = c.lzw;
    f.lzw.min_code_size = 8;
    s.frames.push_back(f);
    ExpectSameAsGiflib(BuildGif(s), std::string(c.name) + " " + std::to_string(c.lzw.block_size));
  }
}

TEST(GIFConformance, InterlacedTransparentAndAnimated) {
  GifPlan s;
  s.width = 40;
  s.height = 30;
  s.global = Colors256(64, 1);
  s.loop_count = 0;
  for (int i = 0; i < 6; ++i) {
    FramePlan f = MakeFrame(i * 3, i * 2, 40 - i * 6, 30 - i * 4, 64, unsigned(i + 20));
    f.interlaced = i % 2 == 1;
    f.transparent = i % 3 == 0 ? 5 : -1;
    f.gce = true;
    f.disposal = i % 4;
    f.delay = i * 3;
    if (i == 4) f.local = Colors256(16, 77), f.pixels = Noise(f.pixels.size(), 16, 5, 2), f.lzw.min_code_size = 4;
    s.frames.push_back(f);
  }
  ExpectSameAsGiflib(BuildGif(s), "animation");
  for (int h : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17}) {
    GifPlan t;
    t.width = 5;
    t.height = h;
    t.global = Colors256(8, 2);
    t.frames.push_back(MakeFrame(0, 0, 5, h, 8, unsigned(h)));
    t.frames[0].interlaced = true;
    ExpectSameAsGiflib(BuildGif(t), "interlaced height " + std::to_string(h));
  }
  // The first frame smaller than the screen and partly outside it.
  GifPlan o;
  o.width = 20;
  o.height = 10;
  o.global = Colors256(4, 3);
  o.frames.push_back(MakeFrame(15, 6, 8, 8, 4, 1));
  const Loaded ours = LoadGif(BuildGif(o));
  TBitmap bmp;
  ours.image->CopyToBitmap(bmp);
  EXPECT_EQ(Colors(bmp), ComposeFirst(Giflib(BuildGif(o))));
}

// A transparent first frame reaches the image's bitmap unmasked: its
// transparent pixels show their palette colour, whether the frame fills the
// screen or sits at an offset, and whether its data ran to the end or stopped
// early (the rest of a cut frame holds the transparent index, not 0).
TEST(GIFConformance, TransparentFirstFrameIsComposedWithoutItsMask) {
  struct Case {
    const char* name;
    int left, top;
    size_t decoded;  // pixels whose codes are in the file
  };
  const Case cases[] = {{"offset, whole", 7, 3, SIZE_MAX}, {"offset, cut short", 7, 3, 70},
                        {"full screen, cut short", 0, 0, 130}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GifPlan s;
    s.width = 31;
    s.height = 19;
    s.global = Colors256(16, 4);
    s.global[9] = 0xFF00FF;  // the transparent index: not black, not entry 0
    FramePlan f = MakeFrame(c.left, c.top, s.width - c.left, s.height - c.top, 16, 12);
    f.transparent = 9;
    for (size_t i = 0; i < f.pixels.size(); i += 5) f.pixels[i] = 9;
    RefImage ref = Giflib(BuildGif([&] { GifPlan p = s; p.frames.push_back(f); return p; }()));
    ASSERT_TRUE(ref.ok);
    if (c.decoded < f.pixels.size()) {
      f.raw_data = EncodeLZW(Bytes(f.pixels.begin(), f.pixels.begin() + long(c.decoded)), f.lzw);
      std::fill(ref.frames[0].raster.begin() + long(c.decoded), ref.frames[0].raster.end(), uint8_t(9));
    }
    s.frames.push_back(f);
    const Loaded ours = LoadGif(BuildGif(s));
    ASSERT_EQ(ours.error, "");
    ASSERT_TRUE(std::equal(ref.frames[0].raster.begin(), ref.frames[0].raster.end(), ours.image->Images()[0]->Data()));
    TBitmap bmp;
    ours.image->CopyToBitmap(bmp);
    EXPECT_EQ(Colors(bmp), ComposeFirst(ref));
  }
}

// --- giflib's own writer ---

struct MemWriter {
  Bytes data;
};

int WriteMem(GifFileType* gif, const GifByteType* buf, int n) {
  auto* w = static_cast<MemWriter*>(gif->UserData);
  w->data.insert(w->data.end(), buf, buf + n);
  return n;
}

Bytes GiflibEncode(int w, int h, int bits, bool interlace, unsigned seed) {
  MemWriter out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, WriteMem, &err);
  ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
  std::mt19937 rng(seed);
  for (int i = 0; i < map->ColorCount; ++i) map->Colors[i] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
  EGifPutScreenDesc(gif, w, h, bits, 0, map);
  EGifPutImageDesc(gif, 0, 0, w, h, interlace, nullptr);
  const Bytes px = Noise(size_t(w) * h, 1 << bits, seed, 2);
  std::vector<int> rows;
  if (interlace) rows = InterlaceRows(h);
  for (int i = 0; i < h; ++i) {
    const int y = interlace ? rows[size_t(i)] : i;
    std::vector<GifPixelType> line(px.begin() + long(y) * w, px.begin() + long(y + 1) * w);
    EGifPutLine(gif, line.data(), w);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out.data;
}

TEST(GIFConformance, StreamsWrittenByGiflib) {
  for (int bits = 1; bits <= 8; ++bits)
    for (bool interlace : {false, true})
      ExpectSameAsGiflib(GiflibEncode(97 + bits, 31 + bits * 5, bits, interlace, unsigned(bits)),
                         "giflib bits " + std::to_string(bits) + (interlace ? " interlaced" : ""));
}

// --- ImageMagick's convert ---

bool RunCommand(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

TEST(GIFConformance, StreamsWrittenByImageMagick) {
  TempDir dir;
  const std::string convert = "/usr/bin/convert";
  const std::vector<std::pair<std::string, std::string>> makes = {
      {"plasma", "-size 120x80 plasma:fractal -colors 256"},
      {"plasma_interlaced", "-size 91x67 plasma:fractal -colors 200 -interlace GIF"},
      {"gradient16", "-size 64x64 gradient:red-blue -colors 16"},
      {"mono", "-size 50x20 pattern:checkerboard -monochrome"},
      {"anim", "-delay 5 -loop 0 -size 40x30 xc:red xc:green -size 20x10 xc:blue -dispose Background"},
      {"transparent", "-size 30x30 xc:none -fill red -draw \"circle 15,15 15,5\""}};
  for (const auto& [name, args] : makes) {
    const std::string path = dir / (name + ".gif");
    ASSERT_TRUE(RunCommand(convert + " " + args + " " + path + " 2>/dev/null")) << name;
    ExpectSameAsGiflib(ReadBytes(path), name);
  }
}

// --- damaged files, and picdump on a corpus ---

// Loads damaged bytes: never a crash; frames ahead of the damage that giflib
// read whole agree. (Inside damaged image data the two differ by design:
// giflib turns a code beyond the table into index 2, we follow the table.)
void CheckDamaged(const Bytes& data, const std::string& what, size_t intact_frames = SIZE_MAX) {
  SCOPED_TRACE(what);
  const RefImage ref = Giflib(data);
  Loaded ours = LoadGif(data);
  if (!ours.error.empty()) return;
  std::vector<TGIFSubImage*> frames = PixelFrames(*ours.image);
  for (size_t i = 0; i < ref.frames.size() && i < frames.size() && i < intact_frames; ++i) {
    const RefFrame& r = ref.frames[i];
    if (frames[i]->BoundsRect() != Bounds(r.left, r.top, r.width, r.height)) break;
    size_t at = 0;
    while (at < r.raster.size() && r.raster[at] == frames[i]->Data()[at]) ++at;
    EXPECT_EQ(at, r.raster.size()) << "frame " << i << " of " << r.width << "x" << r.height
                                   << " ours " << int(frames[i]->Data()[at]) << " giflib " << int(r.raster[at])
                                   << " warnings " << ours.warnings.size()
                                   << (ours.warnings.empty() ? "" : ours.warnings[0]);
  }
  TBitmap bmp;
  try {
    ours.image->CopyToBitmap(bmp);
  } catch (const GIFException&) {
  }
}

TEST(GIFConformance, TruncatedStreamsKeepWhatWasRead) {
  GifPlan s;
  s.width = 50;
  s.height = 40;
  s.global = Colors256(256, 5);
  for (int i = 0; i < 3; ++i) s.frames.push_back(MakeFrame(i, i, 50 - i, 40 - i, 256, unsigned(i)));
  const Bytes full = BuildGif(s);
  const RefImage whole = Giflib(full);
  ASSERT_TRUE(whole.ok);
  for (size_t cut = 0; cut < full.size(); cut += 37) {
    const Bytes part(full.begin(), full.begin() + long(cut));
    CheckDamaged(part, "cut at " + std::to_string(cut));
    // A frame cut short holds the pixels before the cut and its fill after.
    Loaded ours = LoadGif(part);
    if (!ours.error.empty()) continue;
    std::vector<TGIFSubImage*> frames = PixelFrames(*ours.image);
    for (size_t i = 0; i < frames.size(); ++i) {
      const Bytes& r = whole.frames[i].raster;
      size_t same = 0;
      while (same < r.size() && frames[i]->Data()[same] == r[same]) ++same;
      EXPECT_TRUE(std::all_of(frames[i]->Data() + same, frames[i]->Data() + r.size(), [](uint8_t p) { return p == 0; }) ||
                  same == r.size())
          << "cut " << cut << " frame " << i << " differs at " << same;
    }
  }
}

TEST(GIFConformance, FlippedBytesNeverHurt) {
  GifPlan s;
  s.width = 30;
  s.height = 20;
  s.global = Colors256(32, 2);
  s.loop_count = 2;
  for (int i = 0; i < 3; ++i) {
    FramePlan f = MakeFrame(i * 2, i, 20, 15, 32, unsigned(i + 5));
    f.gce = true;
    f.transparent = 3;
    f.interlaced = i == 1;
    s.frames.push_back(f);
  }
  const Bytes good = BuildGif(s);
  std::vector<size_t> frame_end;  // offset just past each frame's data
  for (size_t i = 1; i <= s.frames.size(); ++i) {
    GifPlan part = s;
    part.frames.resize(i);
    part.trailer = false;
    frame_end.push_back(BuildGif(part).size());
  }
  std::mt19937 rng(99);
  for (int trial = 0; trial < 400; ++trial) {
    Bytes bad = good;
    size_t first = bad.size();
    const int flips = 1 + int(rng() % 3);
    for (int k = 0; k < flips; ++k) {
      const size_t at = rng() % bad.size();
      bad[at] ^= uint8_t(1u << (rng() % 8));
      first = std::min(first, at);
    }
    const size_t intact = size_t(std::upper_bound(frame_end.begin(), frame_end.end(), first) - frame_end.begin());
    CheckDamaged(bad, "trial " + std::to_string(trial), intact);
  }
}

Bytes ReadPam(const std::string& path, int& w, int& h) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  w = h = 0;
  while (std::getline(in, line) && line != "ENDHDR") {
    if (line.rfind("WIDTH ", 0) == 0) w = std::stoi(line.substr(6));
    if (line.rfind("HEIGHT ", 0) == 0) h = std::stoi(line.substr(7));
  }
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(GIFConformance, PicdumpShowsTheFirstFrameOfAValidAndDamagedCorpus) {
#ifndef ORV_PICDUMP_PATH
  GTEST_SKIP() << "picdump is not built";
#else
  const char* picdump = ORV_PICDUMP_PATH;
  TempDir dir;
  std::vector<std::pair<std::string, Bytes>> corpus;
  ASSERT_TRUE(RunCommand("/usr/bin/convert -size 70x50 plasma:fractal -colors 128 " + dir / "im.gif" + " 2>/dev/null"));
  ASSERT_TRUE(RunCommand("/usr/bin/convert -delay 10 -size 30x20 xc:red -size 10x10 xc:blue -page +5+5 xc:green " +
                  dir / "anim.gif" + " 2>/dev/null"));
  corpus.push_back({"im", ReadBytes(dir / "im.gif")});
  corpus.push_back({"anim", ReadBytes(dir / "anim.gif")});
  corpus.push_back({"giflib", GiflibEncode(45, 33, 5, true, 8)});
  Bytes lower = corpus[0].second;
  lower[0] = 'g', lower[1] = 'i', lower[2] = 'f';  // giflib refuses it; we accept it
  corpus.push_back({"lower", lower});
  const Bytes base = corpus[0].second;
  for (size_t cut : {size_t(5), size_t(13), size_t(300), base.size() / 2, base.size() - 1})
    corpus.push_back({"cut" + std::to_string(cut), Bytes(base.begin(), base.begin() + long(cut))});
  Bytes no_table = base;
  no_table[10] &= 0x7F;  // no global table: its bytes become blocks
  corpus.push_back({"no_table", no_table});

  for (const auto& [name, bytes] : corpus) {
    SCOPED_TRACE(name);
    const std::string in = dir / (name + ".gif"), out = dir / (name + ".pam");
    WriteFile(in, bytes);
    const int status = std::system((std::string(picdump) + " " + in + " " + out + " 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_LE(WEXITSTATUS(status), 1);
    Bytes fixed = bytes;
    if (name == "lower") fixed[0] = 'G', fixed[1] = 'I', fixed[2] = 'F';
    const RefImage ref = Giflib(fixed);
    if (!ref.ok || WEXITSTATUS(status) != 0) {
      EXPECT_TRUE(name.rfind("cut", 0) == 0 || name == "no_table") << "picdump failed on a valid file";
      continue;
    }
    int w, h;
    const Bytes rgb = ReadPam(out, w, h);
    ASSERT_EQ(w, ref.width);
    ASSERT_EQ(h, ref.height);
    const std::vector<int32_t> want = ComposeFirst(ref);
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(RGB(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]), want[i]) << "pixel " << i;
  }
#endif
}

}  // namespace
}  // namespace orv::test
