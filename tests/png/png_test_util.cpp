#include "png_test_util.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>

#include "png/png_error.h"
#include "png/png_graphic.h"
#include "platform/stream.h"

namespace orv::pngtest {

Bytes BE32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }
Bytes BE16(uint16_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }

Bytes Signature() { return {137, 80, 78, 71, 13, 10, 26, 10}; }

Bytes ChunkBytes(const Chunk& c) {
  Bytes out = BE32(uint32_t(c.data.size()));
  out.insert(out.end(), c.type.begin(), c.type.end());
  out.insert(out.end(), c.data.begin(), c.data.end());
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(c.type.data()), 4);
  if (!c.data.empty()) crc = crc32(crc, c.data.data(), uInt(c.data.size()));
  if (c.bad_crc) crc ^= 0xDEADBEEF;
  Bytes b = BE32(uint32_t(crc));
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Bytes IHDR(uint32_t w, uint32_t h, int depth, int color_type, int interlace, int compression, int filter) {
  Bytes d = BE32(w);
  Bytes hh = BE32(h);
  d.insert(d.end(), hh.begin(), hh.end());
  d.insert(d.end(), {uint8_t(depth), uint8_t(color_type), uint8_t(compression), uint8_t(filter), uint8_t(interlace)});
  return d;
}

int Image::Channels() const {
  switch (color_type) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

Image RandomImage(int w, int h, int depth, int color_type, int interlace, uint32_t seed, int palette_size) {
  Image img;
  img.w = w, img.h = h, img.depth = depth, img.color_type = color_type, img.interlace = interlace;
  img.samples.resize(size_t(w) * h * img.Channels());
  uint32_t s = seed * 2654435761u + 1;
  const uint32_t range = color_type == 3 ? uint32_t(std::min(palette_size, 1 << depth)) : (1u << depth);
  for (auto& v : img.samples) {
    s = s * 1664525u + 1013904223u;
    v = uint16_t((s >> 8) % range);
  }
  return img;
}

namespace {

struct Pass {
  int xs, xstep, ys, ystep;
};
const Pass kPasses[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4}, {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

int Pred(int type, int a, int b, int c) {
  switch (type) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) / 2;
    case 4: {
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      return (pa <= pb && pa <= pc) ? a : pb <= pc ? b : c;
    }
    default: return 0;
  }
}

}  // namespace

Bytes RawImageData(const Image& img, int filter) {
  Bytes out;
  const int ch = img.Channels();
  const int bits = ch * img.depth;
  const int bpp = std::max(1, bits / 8);
  const int npass = img.interlace ? 7 : 1;
  int row_counter = 0;
  for (int p = 0; p < npass; ++p) {
    const Pass ps = img.interlace ? kPasses[p] : Pass{0, 1, 0, 1};
    const int pw = img.w > ps.xs ? (img.w - ps.xs + ps.xstep - 1) / ps.xstep : 0;
    const int ph = img.h > ps.ys ? (img.h - ps.ys + ps.ystep - 1) / ps.ystep : 0;
    if (pw == 0 || ph == 0) continue;
    const size_t n = (size_t(pw) * bits + 7) / 8;
    Bytes prev(n, 0), row(n);
    for (int r = 0; r < ph; ++r) {
      std::fill(row.begin(), row.end(), 0);
      const int y = ps.ys + r * ps.ystep;
      size_t bitpos = 0;
      for (int i = 0; i < pw; ++i) {
        const int x = ps.xs + i * ps.xstep;
        for (int c = 0; c < ch; ++c) {
          const uint16_t v = img.samples[(size_t(y) * img.w + x) * ch + c];
          if (img.depth == 16) {
            row[bitpos / 8] = uint8_t(v >> 8);
            row[bitpos / 8 + 1] = uint8_t(v);
          } else if (img.depth == 8) {
            row[bitpos / 8] = uint8_t(v);
          } else {
            row[bitpos / 8] |= uint8_t(v << (8 - img.depth - bitpos % 8));
          }
          bitpos += size_t(img.depth);
        }
      }
      const int type = filter < 0 ? row_counter % 5 : filter;
      ++row_counter;
      out.push_back(uint8_t(type));
      for (size_t i = 0; i < n; ++i) {
        const int a = i >= size_t(bpp) ? row[i - bpp] : 0;
        const int c = i >= size_t(bpp) ? prev[i - bpp] : 0;
        out.push_back(uint8_t(row[i] - Pred(type, a, prev[i], c)));
      }
      prev = row;
    }
  }
  return out;
}

Bytes Deflate(const Bytes& data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, data.data(), uLong(data.size()), level) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(size);
  return out;
}

Bytes Assemble(const std::vector<Chunk>& chunks) {
  Bytes out = Signature();
  for (const Chunk& c : chunks) {
    Bytes b = ChunkBytes(c);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

Bytes BuildPng(const Image& img, const BuildOptions& opt) {
  std::vector<Chunk> chunks;
  chunks.push_back({"IHDR", IHDR(uint32_t(img.w), uint32_t(img.h), img.depth, img.color_type, img.interlace)});
  for (const Chunk& c : opt.before_idat) chunks.push_back(c);
  const Bytes z = Deflate(RawImageData(img, opt.filter), opt.level);
  const size_t step = opt.idat_chunk ? opt.idat_chunk : std::max<size_t>(z.size(), 1);
  for (size_t i = 0; i < z.size(); i += step)
    chunks.push_back({"IDAT", Bytes(z.begin() + long(i), z.begin() + long(std::min(z.size(), i + step)))});
  for (const Chunk& c : opt.after_idat) chunks.push_back(c);
  if (opt.iend) chunks.push_back({"IEND", {}});
  return Assemble(chunks);
}

std::vector<uint8_t> TestPalette(int n) {
  std::vector<uint8_t> pal;
  for (int i = 0; i < n; ++i) pal.insert(pal.end(), {uint8_t(i * 37 + 5), uint8_t(255 - i), uint8_t(i * 11 + 100)});
  return pal;
}

// ---------------------------------------------------------------------------
// libpng as referee.

namespace {

struct MemReader {
  const Bytes* data;
  size_t pos;
};

void ReadFn(png_structp p, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemReader*>(png_get_io_ptr(p));
  if (r->pos + n > r->data->size()) png_error(p, "read past end");
  std::memcpy(out, r->data->data() + r->pos, n);
  r->pos += n;
}

void ErrorFn(png_structp p, png_const_charp msg) {
  auto* err = static_cast<std::string*>(png_get_error_ptr(p));
  *err = msg;
  png_longjmp(p, 1);
}
void WarnFn(png_structp, png_const_charp) {}

int Scale(int depth) { return depth == 1 ? 255 : depth == 2 ? 85 : depth == 4 ? 17 : 1; }

}  // namespace

Decoded DecodeWithLibpng(const Bytes& file, bool ignore_crc) {
  Decoded d;
  std::string error;
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, ErrorFn, WarnFn);
  png_infop info = png_create_info_struct(p);
  MemReader reader{&file, 0};
  std::vector<Bytes> rows;
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_read_struct(&p, &info, nullptr);
    d.ok = false;
    d.error = error;
    return d;
  }
  png_set_read_fn(p, &reader, ReadFn);
  if (ignore_crc) png_set_crc_action(p, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_set_user_limits(p, 0x7fffffff, 0x7fffffff);
  png_read_info(p, info);
  const int w = int(png_get_image_width(p, info)), h = int(png_get_image_height(p, info));
  const int depth = png_get_bit_depth(p, info), ct = png_get_color_type(p, info);
  if (depth == 16) png_set_strip_16(p);
  if (depth < 8) png_set_packing(p);
  png_set_interlace_handling(p);
  png_read_update_info(p, info);
  const size_t rowbytes = png_get_rowbytes(p, info);
  rows.assign(size_t(h), Bytes(rowbytes));
  std::vector<png_bytep> ptrs(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) ptrs[size_t(y)] = rows[size_t(y)].data();
  png_read_image(p, ptrs.data());
  png_read_end(p, nullptr);

  png_colorp plte = nullptr;
  int nplte = 0;
  png_get_PLTE(p, info, &plte, &nplte);
  png_bytep trans_alpha = nullptr;
  int ntrans = 0;
  png_color_16p trans = nullptr;
  const bool has_trns = png_get_tRNS(p, info, &trans_alpha, &ntrans, &trans) != 0;

  d.ok = true;
  d.w = w, d.h = h;
  d.rgb.resize(size_t(w) * h * 3);
  const bool alpha = ct == 4 || ct == 6;
  if (alpha) d.mask.resize(size_t(w) * h);
  uint8_t palpha[256];
  std::memset(palpha, 255, 256);
  bool palette_mask = false;
  if (ct == 3 && has_trns) {
    for (int i = 0; i < ntrans && i < 256; ++i) palpha[i] = trans_alpha[i];
    int zeros = 0, opaque = 0, idx = 0;
    for (int i = 0; i < 256; ++i) {
      if (palpha[i] == 0) ++zeros, idx = i;
      else if (palpha[i] == 255) ++opaque;
    }
    if (zeros == 1 && opaque == 255) {
      d.transparent = true;
      d.transparent_color = idx < nplte ? RGB(plte[idx].red, plte[idx].green, plte[idx].blue) : 0;
    } else {
      palette_mask = true;
      d.mask.resize(size_t(w) * h);
    }
  }
  if (has_trns && ct == 0) {
    const int g = depth == 16 ? trans->gray >> 8 : (trans->gray & ((1 << depth) - 1)) * Scale(depth);
    d.transparent = true;
    d.transparent_color = RGB(g, g, g);
  }
  if (has_trns && ct == 2) {
    const int sh = depth == 16 ? 8 : 0;
    d.transparent = true;
    d.transparent_color = RGB((trans->red >> sh) & 0xFF, (trans->green >> sh) & 0xFF, (trans->blue >> sh) & 0xFF);
  }
  for (int y = 0; y < h; ++y) {
    const uint8_t* r = rows[size_t(y)].data();
    for (int x = 0; x < w; ++x) {
      uint8_t* o = &d.rgb[(size_t(y) * w + x) * 3];
      uint8_t* m = d.mask.empty() ? nullptr : &d.mask[size_t(y) * w + x];
      switch (ct) {
        case 0: o[0] = o[1] = o[2] = uint8_t(r[x] * Scale(depth)); break;
        case 2: o[0] = r[3 * x], o[1] = r[3 * x + 1], o[2] = r[3 * x + 2]; break;
        case 3: {
          const int i = r[x];
          if (i < nplte) o[0] = plte[i].red, o[1] = plte[i].green, o[2] = plte[i].blue;
          else o[0] = o[1] = o[2] = 0;
          if (palette_mask) *m = uint8_t(255 - palpha[i]);
          break;
        }
        case 4: o[0] = o[1] = o[2] = r[2 * x], *m = uint8_t(255 - r[2 * x + 1]); break;
        case 6:
          o[0] = r[4 * x], o[1] = r[4 * x + 1], o[2] = r[4 * x + 2];
          *m = uint8_t(255 - r[4 * x + 3]);
          break;
      }
    }
  }
  png_destroy_read_struct(&p, &info, nullptr);
  return d;
}

Decoded DecodeWithOurs(const Bytes& file) {
  Decoded d;
  TPNGGraphic g;
  TMemoryStream ms(file);
  try {
    g.LoadFromStream(ms);
  } catch (const EPNGError& e) {
    d.error = e.what();
    return d;
  }
  const TBitmap& b = g.Bitmap();
  d.ok = true;
  d.w = b.Width(), d.h = b.Height();
  d.rgb.resize(size_t(d.w) * d.h * 3);
  std::vector<uint32_t> row(size_t(d.w));
  for (int y = 0; y < d.h; ++y) {
    ReadRowBGRX(b, y, 0, d.w, row.data());
    for (int x = 0; x < d.w; ++x) {
      uint8_t* o = &d.rgb[(size_t(y) * d.w + x) * 3];
      o[0] = uint8_t(row[size_t(x)] >> 16), o[1] = uint8_t(row[size_t(x)] >> 8), o[2] = uint8_t(row[size_t(x)]);
    }
  }
  if (g.HasMask()) {
    const TBitmap& m = g.MaskBitmap();
    d.mask.resize(size_t(d.w) * d.h);
    for (int y = 0; y < d.h && y < m.Height(); ++y)
      std::memcpy(&d.mask[size_t(y) * d.w], m.ScanLine(y), size_t(std::min(d.w, m.Width())));
  }
  d.transparent = b.Transparent();
  if (d.transparent) d.transparent_color = b.ResolvedTransparentColor();
  return d;
}

// ---------------------------------------------------------------------------

namespace {
void WriteFn(png_structp p, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
  out->insert(out->end(), data, data + n);
}
void FlushFn(png_structp) {}
}  // namespace

Bytes EncodeWithLibpng(const Image& img, const LibpngExtras& extra) {
  Bytes out;
  std::string error;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, ErrorFn, WarnFn);
  png_infop info = png_create_info_struct(p);
  const int ch = img.Channels();
  const size_t rowbytes = (size_t(img.w) * ch * img.depth + 7) / 8;
  std::vector<Bytes> rows(size_t(img.h), Bytes(rowbytes, 0));
  for (int y = 0; y < img.h; ++y) {
    size_t bit = 0;
    for (int x = 0; x < img.w; ++x)
      for (int c = 0; c < ch; ++c) {
        const uint16_t v = img.samples[(size_t(y) * img.w + x) * ch + c];
        Bytes& r = rows[size_t(y)];
        if (img.depth == 16) r[bit / 8] = uint8_t(v >> 8), r[bit / 8 + 1] = uint8_t(v);
        else if (img.depth == 8) r[bit / 8] = uint8_t(v);
        else r[bit / 8] |= uint8_t(v << (8 - img.depth - bit % 8));
        bit += size_t(img.depth);
      }
  }
  std::vector<png_bytep> ptrs(size_t(img.h));
  for (int y = 0; y < img.h; ++y) ptrs[size_t(y)] = rows[size_t(y)].data();
  std::vector<png_color> plte;
  std::vector<png_text> texts;
  if (setjmp(png_jmpbuf(p))) {
    png_destroy_write_struct(&p, &info);
    throw std::runtime_error("libpng write: " + error);
  }
  png_set_write_fn(p, &out, WriteFn, FlushFn);
  png_set_IHDR(p, info, png_uint_32(img.w), png_uint_32(img.h), img.depth, img.color_type,
               img.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (extra.filters >= 0) png_set_filter(p, 0, extra.filters);
  for (size_t i = 0; i + 2 < extra.palette_rgb.size(); i += 3)
    plte.push_back(png_color{extra.palette_rgb[i], extra.palette_rgb[i + 1], extra.palette_rgb[i + 2]});
  if (!plte.empty()) png_set_PLTE(p, info, plte.data(), int(plte.size()));
  png_color_16 tc{};
  tc.red = extra.trans_r, tc.green = extra.trans_g, tc.blue = extra.trans_b, tc.gray = extra.trans_grey;
  if (!extra.palette_alpha.empty())
    png_set_tRNS(p, info, const_cast<png_bytep>(extra.palette_alpha.data()), int(extra.palette_alpha.size()), nullptr);
  else if (extra.trans_color)
    png_set_tRNS(p, info, nullptr, 0, &tc);
  for (const auto& [key, text] : extra.texts) {
    png_text t{};
    t.compression = PNG_TEXT_COMPRESSION_NONE;
    t.key = const_cast<char*>(key.c_str());
    t.text = const_cast<char*>(text.c_str());
    texts.push_back(t);
  }
  if (!texts.empty()) png_set_text(p, info, texts.data(), int(texts.size()));
  png_write_info(p, info);
  png_write_image(p, ptrs.data());
  png_write_end(p, info);
  png_destroy_write_struct(&p, &info);
  return out;
}

}  // namespace orv::pngtest
