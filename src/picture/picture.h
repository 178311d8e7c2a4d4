// The file-type registry and the picture container.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "picture/graphic.h"

namespace orv {

struct TFileFormat {
  std::string extension;  // lower case, without the dot
  std::string description;
  const TGraphicClass* graphic_class;
  int description_resource = 0;
};

// The process-wide list of file formats. Created on first use holding the
// framework's own four entries (wmf, emf, ico, bmp); the decoders append
// theirs at start-up.
class TFileFormatsList {
 public:
  static TFileFormatsList& Instance();

  void Add(const std::string& extension, const std::string& description, const TGraphicClass* cls);
  // Scans from the last entry back; the extension is lower-cased first.
  const TGraphicClass* FindExt(const std::string& extension) const;
  // Removes every entry of the class or of a class derived from it.
  void Remove(const TGraphicClass* cls);
  const std::vector<TFileFormat>& Formats() const { return formats_; }

 private:
  TFileFormatsList();
  std::vector<TFileFormat> formats_;
};

// The extension of a file name: the characters after the last "." that comes
// after the last separator; empty when there is none.
std::string GraphicExtension(const std::string& path);

// Owns at most one graphic; loading replaces it only on success.
class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  // Loads a file through the registry. Raises EInvalidGraphic "拡張子 .%s の
  // 画像形式は処理できません" for an unknown extension, EFOpenError "ファイル %s
  // は開けません" when the file cannot be opened, or the decoder's own error;
  // the previous graphic then stays.
  void LoadFromFile(const std::string& path);

  std::function<void()> OnChange;
  TProgressEvent OnProgress;
  // Handed to each graphic it loads (see TGraphic::SetBitmapOnly).
  bool BitmapOnly = false;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::unique_ptr<TGraphic> graphic_;
};

// The framework's own graphic classes that the registry holds from its creation.
extern const TGraphicClass kMetafileClass;
extern const TGraphicClass kIconClass;

}  // namespace orv
