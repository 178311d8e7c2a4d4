// Reading GIF streams into the object model: header, frames, extensions,
// trailer, warnings and errors.
#include <gtest/gtest.h>

#include "gif/gif_builder.h"
#include "gif/gif_extensions.h"
#include "gif/gif_test_util.h"

namespace orv::test {
namespace {

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

FramePlan Frame(int w, int h, uint8_t value = 1) {
  FramePlan f;
  f.width = w;
  f.height = h;
  f.pixels.assign(size_t(w) * h, value);
  f.lzw.min_code_size = 2;
  return f;
}

GifPlan Simple(int frames = 1) {
  GifPlan s;
  s.width = 4;
  s.height = 3;
  s.global = kFour;
  for (int i = 0; i < frames; ++i) s.frames.push_back(Frame(4, 3, uint8_t(i % 4)));
  return s;
}

// Splits a file at its trailer so blocks can be put in front of it.
Bytes WithoutTrailer(GifPlan s) {
  s.trailer = false;
  return BuildGif(s);
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(GIFStream, ReadsHeaderTablesAndFrames) {
  GifPlan s = Simple(2);
  s.frames[1].left = 1;
  s.frames[1].top = 2;
  s.frames[1].width = 2;
  s.frames[1].height = 1;
  s.frames[1].pixels = {2, 3};
  s.frames[1].local = {0x112233, 0x445566, 0x778899};
  s.background = 2;
  const Loaded r = LoadGif(BuildGif(s));
  ASSERT_EQ(r.error, "");
  EXPECT_TRUE(r.warnings.empty());
  TGIFImage& img = *r.image;
  EXPECT_EQ(img.Width(), 4);
  EXPECT_EQ(img.Height(), 3);
  EXPECT_EQ(img.Header().BackgroundColorIndex(), 2);
  ASSERT_EQ(img.GlobalColorMap().Count(), 4);
  EXPECT_EQ(img.GlobalColorMap().Colors(1), RGB(0xFF, 0, 0));
  ASSERT_EQ(img.Images().Count(), 2);
  TGIFSubImage& f = *img.Images()[1];
  EXPECT_EQ(f.BoundsRect(), Rect(1, 2, 3, 3));
  EXPECT_EQ(f.ColorMap().Count(), 4);  // 3 colours stored in a table of 4
  EXPECT_EQ(&f.ActiveColorMap(), &f.ColorMap());
  EXPECT_EQ(&img.Images()[0]->ActiveColorMap(), &img.GlobalColorMap());
  ASSERT_EQ(f.DataSize(), 2u);
  EXPECT_EQ(f.Data()[0], 2);
  EXPECT_EQ(f.Data()[1], 3);
}

struct SignatureCase {
  const char* name;
  Bytes prefix;
  std::string signature;
  bool loads;
};
void PrintTo(const SignatureCase& c, std::ostream* os) { *os << c.name; }

class GIFSignature : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(GIFSignature, IsCheckedAtTheStartOrFourBytesLater) {
  const SignatureCase& c = GetParam();
  GifPlan s = Simple();
  s.signature = c.signature;
  const Loaded r = LoadGif(c.prefix + BuildGif(s));
  if (c.loads) {
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.image->Images().Count(), 1);
  } else {
    EXPECT_EQ(r.error, "Invalid GIF signature");
    EXPECT_EQ(r.position, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GIFSignature,
    ::testing::Values(SignatureCase{"lower_case", {}, "gif89a", true},
                      SignatureCase{"any_version", {}, "GIF12z", true},
                      SignatureCase{"mixed_case", {}, "gIf87a", true},
                      SignatureCase{"four_bytes_ahead", {1, 2, 3, 4}, "GIF89a", true},
                      SignatureCase{"three_bytes_ahead", {1, 2, 3}, "GIF89a", false},
                      SignatureCase{"five_bytes_ahead", {1, 2, 3, 4, 5}, "GIF89a", false},
                      SignatureCase{"not_gif", {}, "PNG89a", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GIFStream, ShortFilesFailWithPrematureEnd) {
  const Bytes full = BuildGif(Simple());
  // Cut inside the signature, the screen descriptor and the global table.
  for (size_t cut : {size_t(3), size_t(8), size_t(15)}) {
    const Loaded r = LoadGif(Bytes(full.begin(), full.begin() + long(cut)));
    EXPECT_EQ(r.error, "Premature end of data") << cut;
    EXPECT_EQ(r.position, 0);
  }
  // Cut inside the image descriptor.
  const size_t descriptor = 13 + 12 + 1;
  EXPECT_EQ(LoadGif(Bytes(full.begin(), full.begin() + long(descriptor + 4))).error, "Premature end of data");
}

TEST(GIFStream, ZeroBytesBetweenBlocksAndAMissingTrailerAreQuiet) {
  GifPlan s = Simple(2);
  Bytes a = WithoutTrailer(s);
  const Loaded r = LoadGif(a + Bytes{0, 0, 0});
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_EQ(r.image->Images().Count(), 2);

  // Zero bytes between the two frames.
  Bytes one = WithoutTrailer(Simple(1));
  GifPlan second = Simple(1);
  Bytes two = BuildGif(second);
  const Bytes frame2(two.begin() + 13 + 12, two.end());
  const Loaded r2 = LoadGif(one + Bytes{0, 0} + frame2);
  EXPECT_TRUE(r2.warnings.empty());
  EXPECT_EQ(r2.image->Images().Count(), 2);
  EXPECT_EQ(r2.position, int64_t(one.size() + 2 + frame2.size()));
}

TEST(GIFStream, ZeroBetweenExtensionsEndsTheFrame) {
  GifPlan s = Simple(1);
  s.frames[0].extensions_before = {CommentBlock("a") + Bytes{0} + CommentBlock("b")};
  const Loaded r = LoadGif(BuildGif(s));
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.warnings, (std::vector<std::string>{"Invalid extension introducer"}));
  ASSERT_EQ(r.image->Images().Count(), 2);
  EXPECT_TRUE(r.image->Images()[0]->Empty());
  EXPECT_EQ(r.image->Images()[0]->Extensions().Count(), 1);
  EXPECT_EQ(r.image->Images()[1]->Extensions().Count(), 1);
  EXPECT_FALSE(r.image->Images()[1]->Empty());
}

TEST(GIFStream, CommentBeforeTheTrailerBecomesAnEmptyFrame) {
  const Loaded r = LoadGif(WithoutTrailer(Simple(1)) + CommentBlock("bye") + Bytes{0x3B});
  ASSERT_EQ(r.image->Images().Count(), 2);
  TGIFSubImage& last = *r.image->Images()[1];
  EXPECT_TRUE(last.Empty());
  ASSERT_EQ(last.Extensions().Count(), 1);
  auto* comment = dynamic_cast<TGIFCommentExtension*>(last.Extensions()[0]);
  ASSERT_NE(comment, nullptr);
  EXPECT_EQ(comment->Text(), (std::vector<std::string>{"bye"}));
  EXPECT_TRUE(r.warnings.empty());
}

TEST(GIFStream, FrameOfWidthZeroTakesTheLogicalScreen) {
  GifPlan s = Simple(1);
  s.frames[0].raw_data = EncodeLZW(Bytes(12, 3), s.frames[0].lzw);
  s.frames[0].width = 0;
  const Loaded r = LoadGif(BuildGif(s));
  EXPECT_EQ(r.warnings, (std::vector<std::string>{"Image exceeds Logical Screen size"}));
  TGIFSubImage& f = *r.image->Images()[0];
  EXPECT_EQ(f.Width(), 4);
  EXPECT_EQ(f.Height(), 3);
  ASSERT_EQ(f.DataSize(), 12u);
  EXPECT_TRUE(std::all_of(f.Data(), f.Data() + 12, [](uint8_t p) { return p == 3; }));
}

TEST(GIFStream, GraphicControlExtensionsAndTransparency) {
  GifPlan s = Simple(2);
  s.frames[0].transparent = 2;
  s.frames[0].delay = 7;
  s.frames[0].disposal = 2;
  // Frame 1: a plain control extension first, then one with the bit set.
  s.frames[1].extensions_before = {GceBlock(1, 5, -1), GceBlock(3, 9, 1)};
  const Loaded r = LoadGif(BuildGif(s));
  TGIFSubImage& f0 = *r.image->Images()[0];
  ASSERT_NE(f0.GraphicControlExtension(), nullptr);
  EXPECT_TRUE(f0.Transparent());
  EXPECT_EQ(f0.TransparentColorIndex(), 2);
  EXPECT_EQ(f0.GraphicControlExtension()->Delay(), 7);
  EXPECT_EQ(f0.GraphicControlExtension()->Disposal(), 2);
  TGIFSubImage& f1 = *r.image->Images()[1];
  ASSERT_EQ(f1.Extensions().Count(), 2);
  EXPECT_EQ(f1.GraphicControlExtension(), f1.Extensions()[0]);  // the first claims the frame
  EXPECT_TRUE(f1.Transparent());                                  // the second's bit still counts
  // Freeing the transparent extension clears the flag and leaves the reference.
  f1.Clear();
  EXPECT_FALSE(f1.Transparent());
  EXPECT_EQ(f1.GraphicControlExtension(), nullptr);
}

TEST(GIFStream, ShortGraphicControlExtensionWarnsAndKeepsTheBytes) {
  Bytes file = WithoutTrailer(Simple(1)) + Bytes{0x21, 0xF9, 4, 0x09, 0x20};
  const Loaded r = LoadGif(file);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.warnings, (std::vector<std::string>{"Premature end of data"}));
  ASSERT_EQ(r.image->Images().Count(), 2);
  TGIFSubImage& last = *r.image->Images()[1];
  auto* gce = last.GraphicControlExtension();
  ASSERT_NE(gce, nullptr);
  EXPECT_EQ(gce->Disposal(), 2);
  EXPECT_EQ(gce->Delay(), 0x20);
  EXPECT_FALSE(last.Transparent());  // the bit came, but the block was short
}

struct AppCase {
  const char* name;
  Bytes block;
  const TGIFExtensionClass* cls;
  int loop_count;  // -1: not a looping extension
  size_t raw_blocks;
  std::string error;
};
void PrintTo(const AppCase& c, std::ostream* os) { *os << c.name; }

class GIFApplicationExtension : public ::testing::TestWithParam<AppCase> {};

TEST_P(GIFApplicationExtension, ResolvesToItsClass) {
  const AppCase& c = GetParam();
  GifPlan s = Simple(1);
  s.frames[0].extensions_before = {c.block};
  const Bytes file = BuildGif(s);
  const Loaded r = LoadGif(file);
  EXPECT_EQ(r.error, c.error);
  if (!c.error.empty()) {
    EXPECT_EQ(r.position, 0);
    return;
  }
  ASSERT_EQ(r.image->Images().Count(), 1);
  ASSERT_EQ(r.image->Images()[0]->Extensions().Count(), 1);
  TGIFExtension* ext = r.image->Images()[0]->Extensions()[0];
  EXPECT_EQ(ext->ClassType(), c.cls) << ext->ClassType()->name;
  if (c.loop_count >= 0) {
    EXPECT_EQ(dynamic_cast<TGIFAppExtNSLoop*>(ext)->LoopCount(), c.loop_count);
  }
  auto* app = dynamic_cast<TGIFApplicationExtension*>(ext);
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->RawBlocks().size(), c.raw_blocks);
  EXPECT_EQ(r.position, int64_t(file.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GIFApplicationExtension,
    ::testing::Values(
        AppCase{"netscape", AppBlock("NETSCAPE2.0", {{1, 5, 0}}), &kGIFAppExtNSLoopClass, 5, 0, ""},
        AppCase{"animexts", AppBlock("ANIMEXTS1.0", {{1, 0, 1}}), &kGIFAppExtNSLoopClass, 256, 0, ""},
        AppCase{"netscape_buffer_and_other", AppBlock("NETSCAPE2.0", {{2, 1, 2, 3, 4}, {3, 9}, {1, 2, 0}}),
                &kGIFAppExtNSLoopClass, 2, 0, ""},
        AppCase{"other_identity", AppBlock("XMP DataXMP", {{1, 2, 3}, {4}}), &kGIFUnknownAppExtensionClass, -1, 2,
                ""},
        AppCase{"block_size_10", AppBlock("NETSCAPE2.", {{1, 2}}, 10), &kGIFUnknownAppExtensionClass, -1, 1, ""},
        AppCase{"block_size_12", AppBlock("NETSCAPE2.0x", {{1, 3, 0}}, 12), &kGIFApplicationExtensionClass, -1, 1,
                ""},
        AppCase{"loop_block_too_short", AppBlock("NETSCAPE2.0", {{1, 3}}), nullptr, -1, 0, "Invalid GIF data"},
        AppCase{"buffer_block_too_short", AppBlock("NETSCAPE2.0", {{2, 3, 4}}), nullptr, -1, 0,
                "Invalid GIF data"},
        AppCase{"block_size_5", AppBlock("ABCDE", {}, 5), nullptr, -1, 0,
                "Unsupported Application Extension block size"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GIFStream, CutApplicationIdentityIsAnUnknownExtension) {
  const Bytes file = WithoutTrailer(Simple(1)) + Bytes{0x21, 0xFF, 10, 'N', 'E', 'T'};
  EXPECT_EQ(LoadGif(file).error, "Unknown extension type");
}

TEST(GIFStream, UnknownLabelFailsAndPutsTheStreamBack) {
  const Bytes file = Bytes{9, 9, 9} + WithoutTrailer(Simple(1)) + Bytes{0x21, 0x02, 0, 0x3B};
  const Loaded r = LoadGif(file, 3);
  EXPECT_EQ(r.error, "Unknown extension type");
  EXPECT_EQ(r.position, 3);
}

TEST(GIFStream, RegistryRowsDecideTheClassAndTheLaterRowWins) {
  // A row mapping label 0x02 to the comment class: the instance's label differs.
  ExtensionRegistry().Add(0x02, &kGIFCommentExtensionClass);
  const Loaded wrong = LoadGif(WithoutTrailer(Simple(1)) + Bytes{0x21, 0x02, 0, 0x3B});
  ExtensionRegistry().Remove(&kGIFCommentExtensionClass);
  EXPECT_EQ(wrong.error, "Internal error: Extension Instance does not match Extension Label");
  // Comments are unknown now; put the row back.
  EXPECT_EQ(LoadGif(WithoutTrailer(Simple(1)) + CommentBlock("x")).error, "Unknown extension type");
  ExtensionRegistry().Add(0xFE, &kGIFCommentExtensionClass);

  AppExtensionRegistry().Add(MakeAppIdentity("NETSCAPE2.0"), &kGIFUnknownAppExtensionClass);
  GifPlan s = Simple(1);
  s.loop_count = 3;
  const Loaded r = LoadGif(BuildGif(s));
  AppExtensionRegistry().Remove(&kGIFUnknownAppExtensionClass);
  EXPECT_EQ(r.image->Images()[0]->Extensions()[0]->ClassType(), &kGIFUnknownAppExtensionClass);
  EXPECT_EQ(LoadGif(BuildGif(s)).image->Images()[0]->Extensions()[0]->ClassType(), &kGIFAppExtNSLoopClass);
}

TEST(GIFStream, PlainTextExtensionReadsItsGridAndText) {
  Bytes text{0x21, 0x01, 12, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 3, 0, 5, 'h', 'e', 'l', 'l', 'o', 3, 'a', 0, 'b', 0};
  GifPlan s = Simple(1);
  s.frames[0].extensions_before = {text};
  const Loaded r = LoadGif(BuildGif(s));
  ASSERT_EQ(r.error, "");
  auto* t = dynamic_cast<TGIFTextExtension*>(r.image->Images()[0]->Extensions()[0]);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Grid().Width, 30);
  EXPECT_EQ(t->Grid().CellHeight, 8);
  EXPECT_EQ(t->Text(), (std::vector<std::string>{"hello", "a"}));
  // Cut inside the 13-byte header.
  EXPECT_EQ(LoadGif(WithoutTrailer(Simple(1)) + Bytes(text.begin(), text.begin() + 9)).error,
            "Premature end of data");
}

TEST(GIFStream, UnknownBlockTypeEndsTheFramesAndTheTrailerWarns) {
  const Loaded r = LoadGif(WithoutTrailer(Simple(1)) + Bytes{0x55, 0x3B});
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.warnings, (std::vector<std::string>{"Unknown GIF block type", "Invalid Image trailer"}));
  EXPECT_EQ(r.image->Images().Count(), 1);
}

TEST(GIFStream, ByteAfterExtensionsThatIsNoBlockIsTakenAsTheSeparator) {
  // The extension loop stops at 0x55 and the frame reads a descriptor from it.
  const Bytes plain = BuildGif(Simple(1));
  const long descriptor = 13 + 12;
  ASSERT_EQ(plain[size_t(descriptor)], 0x2C);
  Bytes file(plain.begin(), plain.begin() + descriptor);
  file = file + CommentBlock("c") + Bytes{0x55} + Bytes(plain.begin() + descriptor + 1, plain.end());
  const Loaded r = LoadGif(file);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.warnings, (std::vector<std::string>{"Invalid extension introducer"}));
  ASSERT_EQ(r.image->Images().Count(), 1);
  EXPECT_EQ(r.image->Images()[0]->Descriptor().Separator, 0x55);
  EXPECT_EQ(r.image->Images()[0]->Extensions().Count(), 1);
  EXPECT_EQ(r.image->Images()[0]->DataSize(), 12u);
}

TEST(GIFStream, ColorMapGrowsInStepsAndChecksIndexes) {
  TGIFImage img;
  std::vector<std::string> warnings;
  img.WarningHandler = [&](void*, int, const std::string& m) { warnings.push_back(m); };
  TGIFColorMap& map = img.GlobalColorMap();
  EXPECT_THROW(
      {
        try {
          map.Colors(0);
        } catch (const GIFException& e) {
          EXPECT_STREQ(e.what(), "Color table is empty");
          throw;
        }
      },
      GIFException);
  map.Grow(3);
  EXPECT_EQ(map.Capacity(), 16);
  map.Grow(17);
  EXPECT_EQ(map.Capacity(), 32);
  map.Grow(200);
  EXPECT_EQ(map.Capacity(), 224);
  map.Grow(10);
  EXPECT_EQ(map.Capacity(), 224);
  map.Grow(255);
  EXPECT_EQ(map.Capacity(), 256);
  map.Add({10, 20, 30});
  map.Add({40, 50, 60});
  EXPECT_EQ(map.Colors(1), RGB(40, 50, 60));
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(map.Colors(2), RGB(10, 20, 30));
  EXPECT_EQ(warnings, (std::vector<std::string>{"Invalid color index"}));
}

TEST(GIFStream, ProgressIsReportedPerFrame) {
  const Bytes file = BuildGif(Simple(3));
  TGIFImage img;
  std::vector<std::pair<TProgressStage, int>> seen;
  std::string first_message;
  img.OnProgress = [&](void*, TProgressStage st, int pct, bool, const TRect&, const std::string& msg) {
    if (seen.empty()) first_message = msg;
    seen.push_back({st, pct});
  };
  TMemoryStream stream(file);
  img.LoadFromStream(stream);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(first_message, "Loading...");
  EXPECT_EQ(seen.front().first, psStarting);
  EXPECT_EQ(seen[3].first, psRunning);
  EXPECT_EQ(seen[3].second, int(int64_t(file.size() - 1) * 100 / int64_t(file.size())));
  EXPECT_EQ(seen.back(), std::make_pair(psEnding, 100));

  seen.clear();
  TMemoryStream bad(Bytes{'X', 'Y', 'Z', 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_THROW(img.LoadFromStream(bad), GIFException);
  EXPECT_EQ(seen.back(), std::make_pair(psEnding, 0));
}

TEST(GIFStream, HugeFramesAreRefusedBeforeAnyAllocation) {
  GifPlan s = Simple(1);
  s.frames[0].width = 65535;
  s.frames[0].height = 65535;
  s.frames[0].raw_data = PackCodes(2, {{4, 3}, {5, 3}});
  const Loaded r = LoadGif(BuildGif(s));
  EXPECT_EQ(r.error, "Image exceeds maximum size");
  EXPECT_EQ(r.position, 0);
}

TEST(GIFStream, ManyLargeFramesAreHeldToOneImageLimit) {
  // Each frame is allowed on its own; together they pass the image's limit.
  GifPlan s = Simple(0);
  s.width = s.height = 100;
  FramePlan f = Frame(1, 1);
  f.width = f.height = 100;
  f.raw_data = PackCodes(2, {{4, 3}, {5, 3}});
  for (int i = 0; i < 5; ++i) s.frames.push_back(f);
  TGIFImage img;
  img.SetPixelLimit(40000);
  TMemoryStream four(BuildGif([&] { GifPlan t = s; t.frames.resize(4); return t; }()));
  img.LoadFromStream(four);
  EXPECT_EQ(img.Images().Count(), 4);
  TMemoryStream five(BuildGif(s));
  try {
    img.LoadFromStream(five);
    ADD_FAILURE() << "five frames loaded";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Image exceeds maximum size");
  }
}

TEST(GIFStream, ReloadingReplacesTheContents) {
  const Loaded r = LoadGif(BuildGif(Simple(3)));
  GifPlan s = Simple(1);
  s.global.clear();
  s.width = 9;
  TMemoryStream stream(BuildGif(s));
  r.image->LoadFromStream(stream);
  EXPECT_EQ(r.image->Images().Count(), 1);
  EXPECT_EQ(r.image->Width(), 9);
  EXPECT_EQ(r.image->GlobalColorMap().Count(), 0);
}

}  // namespace
}  // namespace orv::test
