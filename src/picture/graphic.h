// TGraphic: the contract every picture decoder fulfils.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/exceptions.h"
#include "platform/stream.h"

namespace orv {

class TGraphic;

// A graphic class as the registry knows it: a name, its base class (for
// "remove this class and the classes derived from it") and a factory.
struct TGraphicClass {
  const char* name;
  const TGraphicClass* parent;
  std::unique_ptr<TGraphic> (*create)();
  bool InheritsFrom(const TGraphicClass* other) const;
};

class TGraphic {
 public:
  virtual ~TGraphic() = default;

  virtual const TGraphicClass* ClassType() const = 0;

  // Reads one picture file from the stream's position; raises on data it
  // cannot decode.
  virtual void LoadFromStream(TStream& stream) = 0;
  // Writes the picture; graphics that cannot be saved refuse.
  virtual void SaveToStream(TStream& stream);

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  virtual void SetWidth(int) {}
  virtual void SetHeight(int) {}

  // Paints the picture stretched into r.
  virtual void Draw(TCanvas& canvas, const TRect& r) = 0;

  // Gives the bitmap the decoded picture (size and pixels). Decoders that
  // decode lazily raise their data errors here.
  virtual void AssignTo(TBitmap& dest) = 0;
  // AssignTo for a caller that drops the graphic next: the pixels may move
  // instead of being copied, so a huge picture never lives twice. The
  // graphic may be left empty.
  virtual void ReleaseTo(TBitmap& dest) { AssignTo(dest); }
  // Takes the picture of another graphic; refused unless the class knows how.
  virtual void Assign(const TGraphic& source);

  // The EXIF orientation the file records (1 to 8, see exif_orientation.h);
  // 1 for formats and files without one.
  virtual int Orientation() const { return 1; }

  // Set before loading by callers that want nothing but the bitmap: data it
  // does not carry (a PNG's alpha mask) is not kept.
  void SetBitmapOnly(bool value) { bitmap_only_ = value; }
  bool BitmapOnly() const { return bitmap_only_; }

  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool PaletteModified() const { return palette_modified_; }
  void SetPaletteModified(bool value) { palette_modified_ = value; }

  // One subscriber each: told when the contents change, and of progress.
  std::function<void()> OnChange;
  TProgressEvent OnProgress;

 protected:
  void Changed() {
    if (OnChange) OnChange();
  }
  void Progress(TProgressStage stage, int percent, bool redraw, const TRect& r,
                const std::string& msg) {
    if (OnProgress) OnProgress(this, stage, percent, redraw, r, msg);
  }
  // The framework's refusal of an assignment between unrelated classes.
  [[noreturn]] static void AssignError(const char* from, const char* to);

 private:
  bool transparent_ = false;
  bool palette_modified_ = false;
  bool bitmap_only_ = false;
};

}  // namespace orv
