#include "picture/picture.h"

#include "picture/bitmap_graphic.h"
#include "platform/paths.h"

namespace orv {

namespace {

// Icons and metafiles are never shown by the saver; their classes refuse to load.
class TRefusingGraphic : public TGraphic {
 public:
  explicit TRefusingGraphic(const TGraphicClass* cls) : cls_(cls) {}
  const TGraphicClass* ClassType() const override { return cls_; }
  void LoadFromStream(TStream&) override {
    throw EInvalidGraphic(ORV_TRANSLATE_NOOP("Exception", "%s の読み込みはサポートされていません"), cls_->name);
  }
  int Width() const override { return 0; }
  int Height() const override { return 0; }
  bool Empty() const override { return true; }
  void Draw(TCanvas&, const TRect&) override {}
  void AssignTo(TBitmap& dest) override { dest.Clear(); }

 private:
  const TGraphicClass* cls_;
};

}  // namespace

const TGraphicClass kMetafileClass{"TMetafile", nullptr, [] {
                                     return std::unique_ptr<TGraphic>(new TRefusingGraphic(&kMetafileClass));
                                   }};
const TGraphicClass kIconClass{"TIcon", nullptr, [] {
                                 return std::unique_ptr<TGraphic>(new TRefusingGraphic(&kIconClass));
                               }};

TFileFormatsList::TFileFormatsList() {
  Add("wmf", "メタファイル", &kMetafileClass);
  Add("emf", "エンハンス メタファイル", &kMetafileClass);
  Add("ico", "アイコン", &kIconClass);
  Add("bmp", "ビットマップ", &kBitmapGraphicClass);
}

TFileFormatsList& TFileFormatsList::Instance() {
  static TFileFormatsList list;
  return list;
}

void TFileFormatsList::Add(const std::string& extension, const std::string& description,
                           const TGraphicClass* cls) {
  formats_.push_back({AsciiLower(extension), description, cls, 0});
}

const TGraphicClass* TFileFormatsList::FindExt(const std::string& extension) const {
  const std::string ext = AsciiLower(extension);
  for (auto it = formats_.rbegin(); it != formats_.rend(); ++it)
    if (it->extension == ext) return it->graphic_class;
  return nullptr;
}

void TFileFormatsList::Remove(const TGraphicClass* cls) {
  std::erase_if(formats_, [&](const TFileFormat& f) { return f.graphic_class->InheritsFrom(cls); });
}

std::string GraphicExtension(const std::string& path) {
  std::string ext = ExtractFileExt(path);
  return ext.empty() ? ext : ext.substr(1);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this] { Changed(); };
  Changed();
}

void TPicture::LoadFromFile(const std::string& path) {
  const std::string ext = GraphicExtension(path);
  const TGraphicClass* cls = TFileFormatsList::Instance().FindExt(ext);
  if (!cls) throw EInvalidGraphic(ORV_TRANSLATE_NOOP("Exception", "拡張子 .%s の画像形式は処理できません"), ext);
  std::unique_ptr<TGraphic> graphic = cls->create();
  graphic->OnProgress = OnProgress;
  graphic->SetBitmapOnly(BitmapOnly);
  {
    TFileStream stream(path, fmOpenRead);
    graphic->LoadFromStream(stream);
  }
  SetGraphic(std::move(graphic));
}

}  // namespace orv
