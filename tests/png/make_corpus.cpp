// Writes the checked-in conformance corpus (tests/png/corpus): valid files
// from libpng's writer and hand-made malformed ones, with the outcome each
// must have in corpus/expected.txt. ImageMagick's files come from
// make_corpus.sh. Run by hand when the corpus changes.
#include <cstdio>
#include <fstream>
#include <string>

#include "png_test_util.h"

using namespace orv::pngtest;

namespace {

std::string dir;
std::ofstream expected;

void Put(const std::string& name, const Bytes& data, const std::string& outcome, const std::string& note) {
  std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), long(data.size()));
  expected << name << " | " << outcome << " | " << note << "\n";
}

Chunk Hdr(uint32_t w, uint32_t h, int d, int ct, int il = 0, int comp = 0, int filt = 0) {
  return {"IHDR", IHDR(w, h, d, ct, il, comp, filt)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  dir = argv[1];
  expected.open(dir + "/expected.txt", std::ios::app);
  const int combos[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                           {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  uint32_t seed = 500;
  for (auto [ct, d] : combos)
    for (int il = 0; il < 2; ++il) {
      const Image img = RandomImage(11, 7, d, ct, il, seed++);
      LibpngExtras extra;
      if (ct == 3) extra.palette_rgb = TestPalette(1 << d);
      if (ct == 3 && d >= 2) extra.palette_alpha = {255, 255, 0};
      if (ct == 0 && d == 8) extra.trans_color = true, extra.trans_grey = 17;
      if (ct == 2 && d == 16) extra.trans_color = true, extra.trans_r = 0x100, extra.trans_g = 0x200;
      extra.filters = 0xF8;
      const std::string name = "lp_ct" + std::to_string(ct) + "_d" + std::to_string(d) + (il ? "_adam7" : "") + ".png";
      Put(name, EncodeWithLibpng(img, extra), "libpng", "libpng writer, colour type " + std::to_string(ct) +
                                                            ", depth " + std::to_string(d) + (il ? ", Adam7" : ""));
    }

  const Image base = RandomImage(13, 9, 8, 2, 0, 1);
  const Bytes z = Deflate(RawImageData(base, -1));
  const Chunk hdr = Hdr(13, 9, 8, 2);
  Put("base_rgb.png", Assemble({hdr, {"IDAT", z}, {"IEND", {}}}), "libpng", "our test encoder, filters cycling");
  const std::string rd = "error:Read Image (PNG): Read Error";
  auto same = std::string("same:base_rgb.png");

  Put("x_signature.png", Bytes{137, 80, 78, 71, 13, 10, 26, 11, 0, 0, 0, 0}, "error:PNG LoadStream: Not PNG Format",
      "last signature byte wrong");
  Put("x_short.png", Bytes{137, 80, 78}, "error:PNG LoadStream: Not PNG Format", "file shorter than the signature");
  Put("x_two_ihdr.png", Assemble({hdr, hdr, {"IDAT", z}}), "error:Read Header(PNG): appear two IHDR", "IHDR twice");
  Put("x_colour_type_5.png", Assemble({Hdr(13, 9, 8, 5), {"IDAT", z}}), "error:Read Header(PNG): Error ColorType",
      "colour type 5");
  Put("x_compression_2.png", Assemble({Hdr(13, 9, 8, 2, 0, 2), {"IDAT", z}}),
      "error:Read Header(PNG): not support Compression", "compression method 2");
  Put("x_filter_method_2.png", Assemble({Hdr(13, 9, 8, 2, 0, 0, 2), {"IDAT", z}}),
      "error:Read Header(PNG): not supprt Filter", "filter method 2");
  Put("x_interlace_2.png", Assemble({Hdr(13, 9, 8, 2, 2), {"IDAT", z}}), "error:Read Header(PNG): not interlace type",
      "interlace method 2");
  Put("x_grey_depth_3.png", Assemble({Hdr(13, 9, 3, 0), {"IDAT", z}}), "error:Read Header(PNG): Error Bitdepth",
      "grey at 3 bits");
  Put("x_grey_alpha_4.png", Assemble({Hdr(13, 9, 4, 4), {"IDAT", z}}), "error:Read Header(PNG): not Use AlphaChannel",
      "grey with alpha at 4 bits");
  Put("x_palette_16.png", Assemble({Hdr(13, 9, 16, 3), {"PLTE", TestPalette(4)}, {"IDAT", z}}),
      "error:Read Header(PNG): Error BitDepth", "palette at 16 bits");
  Put("x_rgb_4.png", Assemble({Hdr(13, 9, 4, 2), {"IDAT", z}}), "error:Read Header(PNG): Error BitDepth",
      "RGB at 4 bits");
  Bytes raw = RawImageData(base, 0);
  raw[40 * 4] = 5;
  Put("x_filter_type_5.png", Assemble({hdr, {"IDAT", Deflate(raw)}, {"IEND", {}}}), rd, "row 5 has filter type 5");
  Put("x_idat_cut_then_iend.png", Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + 60)}, {"IEND", {}}}), rd,
      "compressed data cut short, then IEND");
  Bytes whole = Assemble({hdr, {"IDAT", z}, {"IEND", {}}});
  Put("x_truncated_in_idat.png", Bytes(whole.begin(), whole.begin() + 70), rd, "file ends inside IDAT");
  Bytes bad = z;
  bad[5] ^= 0xFF, bad[6] ^= 0x0F, bad[7] ^= 0xF0;
  Put("x_damaged_zlib.png", Assemble({hdr, {"IDAT", bad}, {"IEND", {}}}), rd, "deflate data damaged");
  Put("x_zero_length_idat.png",
      Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + 30)}, {"IDAT", {}}, {"IDAT", Bytes(z.begin() + 30, z.end())},
                {"IEND", {}}}),
      rd, "a zero-length IDAT chunk while data is still needed");
  Put("x_chunk_between_idat.png",
      Assemble({hdr, {"IDAT", Bytes(z.begin(), z.begin() + 30)}, {"tEXt", {'a', 0, 'b'}},
                {"IDAT", Bytes(z.begin() + 30, z.end())}, {"IEND", {}}}),
      rd, "another chunk between the IDAT chunks");
  Bytes dict = {0x78, 0x20, 0, 0, 0, 1};
  dict.insert(dict.end(), z.begin() + 2, z.end());
  Put("x_preset_dictionary.png", Assemble({hdr, {"IDAT", dict}, {"IEND", {}}}), rd, "zlib header asks for a dictionary");
  Put("x_huge_width.png", Assemble({Hdr(0x7FFFFFFF, 9, 8, 2), {"IDAT", z}, {"IEND", {}}}),
      "error:Read Header(PNG): Image too large", "width 2^31 - 1, refused before allocating");
  Put("x_huge_area.png", Assemble({Hdr(65535, 65535, 8, 2), {"IDAT", z}, {"IEND", {}}}),
      "error:Read Header(PNG): Image too large", "65,535 a side: above the pixel cap");

  // Files libpng refuses but our reader accepts.
  Put("t_bad_crc.png", Assemble({hdr, {"IDAT", z, true}, {"IEND", {}, true}}), same, "damaged CRCs are not checked");
  Put("t_compression_1.png", Assemble({Hdr(13, 9, 8, 2, 0, 1), {"IDAT", z}, {"IEND", {}}}), same,
      "compression method 1 passes");
  Put("t_filter_method_1.png", Assemble({Hdr(13, 9, 8, 2, 0, 0, 1), {"IDAT", z}, {"IEND", {}}}), same,
      "filter method 1 passes");
  Put("t_colour_type_10.png", Assemble({Hdr(13, 9, 8, 10), {"IDAT", z}, {"IEND", {}}}), same,
      "colour type 10 reads as 2 (low three bits)");
  Put("t_no_iend.png", Assemble({hdr, {"IDAT", z}}), same, "no IEND");
  Put("t_one_byte_idats.png", [&] {
    std::vector<Chunk> cs{hdr};
    for (uint8_t b : z) cs.push_back({"IDAT", {b}});
    cs.push_back({"IEND", {}});
    return Assemble(cs);
  }(), same, "IDAT split into 1-byte chunks");
  Bytes more = RawImageData(base, -1);
  more.resize(more.size() + 300, 9);
  Put("t_extra_zlib_data.png", Assemble({hdr, {"IDAT", Deflate(more)}, {"IEND", {}}}), same,
      "compressed data goes on past the last row");
  Bytes lying = Assemble({hdr, {"IDAT", z}});
  for (uint8_t b : BE32(0xFFFFFFFF)) lying.push_back(b);
  lying.insert(lying.end(), {'t', 'E', 'X', 't', 'C', 'o', 'm', 0});
  Put("t_lying_text_length.png", lying, same, "tEXt claims 2^32 - 1 bytes after the image data: quiet end");
  Bytes mac(128, 0x20);
  mac[0] = mac[74] = 0;
  mac.insert(mac.end(), whole.begin(), whole.end());
  Put("t_macbinary.png", mac, same, "128-byte MacBinary header in front");
  Bytes trailing = whole;
  trailing.insert(trailing.end(), 100, 0xEE);
  Put("t_trailing_bytes.png", trailing, same, "bytes after IEND");

  // Files that end quietly with no picture.
  Put("e_idat_before_ihdr.png", Assemble({{"IDAT", z}, hdr, {"IEND", {}}}), "empty", "IDAT before IHDR: no rows");
  Put("e_empty_palette_trns.png",
      Assemble({Hdr(13, 9, 8, 3), {"PLTE", TestPalette(4)}, {"tRNS", {}}, {"IDAT", z}, {"IEND", {}}}), "empty",
      "palette tRNS with nothing to read stops the read");
  Bytes lying_early = Assemble({hdr});
  for (uint8_t b : BE32(0xFFFFFFFF)) lying_early.push_back(b);
  lying_early.insert(lying_early.end(), {'z', 'z', 'Z', 'z', 1, 2, 3});
  Put("e_lying_length_before_idat.png", lying_early, "empty", "unknown chunk claims 2^32 - 1 bytes before IDAT");
  return 0;
}
