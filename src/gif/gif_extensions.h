// Extension blocks: graphic control, plain text, comment and application
// extensions (looping and unknown ones), and the two registries that map a
// label or an application identity to its class.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_item.h"

namespace orv {

class TGIFSubImage;
class TGIFExtension;

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

// A class of extension as the registries know it. `resolve` picks the class
// from the bytes after the label (it may read them; the caller puts the
// position back) and returns `self` when no other class fits, or nullptr when
// there is none.
struct TGIFExtensionClass {
  const char* name;
  uint8_t label;
  const TGIFExtensionClass* (*resolve)(const TGIFExtensionClass* self, TGIFReader& in);
  std::unique_ptr<TGIFExtension> (*create)(TGIFSubImage* frame);
};

class TGIFExtension : public TGIFItem {
 public:
  explicit TGIFExtension(TGIFSubImage* frame);
  int Version() const override { return 2; }
  virtual uint8_t ExtensionLabel() const = 0;
  virtual const TGIFExtensionClass* ClassType() const = 0;
  TGIFSubImage* SubImage() const { return frame_; }
  // Reads introducer and label, then the block's own fields.
  void LoadFromStream(TGIFReader& in) override;

 protected:
  virtual void ReadBody(TGIFReader& in) = 0;
  TGIFSubImage* frame_;
};

#pragma pack(push, 1)
struct TGIFGraphicControlRec {
  uint8_t BlockSize = 4;
  uint8_t PackedFields = 0;  // 0: transparent colour; 1: user input; 4-2: disposal
  uint16_t DelayTime = 0;    // hundredths of a second
  uint8_t TransparentColorIndex = 0;
  uint8_t Terminator = 0;
};
#pragma pack(pop)

class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
  ~TGIFGraphicControlExtension() override;
  uint8_t ExtensionLabel() const override { return 0xF9; }
  const TGIFExtensionClass* ClassType() const override;

  const TGIFGraphicControlRec& Record() const { return rec_; }
  bool Transparent() const { return rec_.PackedFields & 1; }
  bool UserInput() const { return rec_.PackedFields & 2; }
  int Disposal() const { return (rec_.PackedFields >> 2) & 7; }
  int Delay() const { return rec_.DelayTime; }
  uint8_t TransparentColorIndex() const { return rec_.TransparentColorIndex; }

 protected:
  void ReadBody(TGIFReader& in) override;

 private:
  TGIFGraphicControlRec rec_;
};

class TGIFTextExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return 0x01; }
  const TGIFExtensionClass* ClassType() const override;

  struct Header {
    uint8_t BlockSize = 12;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t CellWidth = 0, CellHeight = 0, ForegroundColorIndex = 0, BackgroundColorIndex = 0;
  };
  const Header& Grid() const { return header_; }
  const std::vector<std::string>& Text() const { return text_; }

 protected:
  void ReadBody(TGIFReader& in) override;

 private:
  Header header_;
  std::vector<std::string> text_;
};

class TGIFCommentExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return 0xFE; }
  const TGIFExtensionClass* ClassType() const override;
  const std::vector<std::string>& Text() const { return text_; }

 protected:
  void ReadBody(TGIFReader& in) override;

 private:
  std::vector<std::string> text_;
};

// One raw sub-block: its size byte and that many data bytes.
struct TGIFBlock {
  std::vector<uint8_t> Data;
  int Size() const { return int(Data.size()); }
};

using TGIFAppIdentity = std::array<char, 11>;  // 8-byte identifier + 3-byte authentication

// The application extension. The base class keeps its payload as raw
// sub-blocks, as the unknown application extension does: it is what a block
// size above 11 resolves to, and such files should still load.
class TGIFApplicationExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  uint8_t ExtensionLabel() const override { return 0xFF; }
  const TGIFExtensionClass* ClassType() const override;
  const TGIFAppIdentity& Identity() const { return identity_; }
  std::string Identifier() const;  // the identity up to its first zero
  const std::vector<TGIFBlock>& RawBlocks() const { return blocks_; }

 protected:
  void ReadBody(TGIFReader& in) override;
  virtual void ReadPayload(TGIFReader& in);

  TGIFAppIdentity identity_{};
  std::vector<TGIFBlock> blocks_;
};

// Looping extension ("NETSCAPE2.0", "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  const TGIFExtensionClass* ClassType() const override;
  int LoopCount() const { return loop_count_; }
  uint32_t BufferLength() const { return buffer_length_; }

 protected:
  void ReadPayload(TGIFReader& in) override;

 private:
  int loop_count_ = 1;
  uint32_t buffer_length_ = 0;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  const TGIFExtensionClass* ClassType() const override;
};

extern const TGIFExtensionClass kGIFGraphicControlExtensionClass;
extern const TGIFExtensionClass kGIFTextExtensionClass;
extern const TGIFExtensionClass kGIFCommentExtensionClass;
extern const TGIFExtensionClass kGIFApplicationExtensionClass;
extern const TGIFExtensionClass kGIFAppExtNSLoopClass;
extern const TGIFExtensionClass kGIFUnknownAppExtensionClass;

// Label to class. Created on first use with 0x01, 0xF9, 0xFE, 0xFF; searched
// from the last row back, so a later row wins.
class TExtensionList {
 public:
  void Add(uint8_t label, const TGIFExtensionClass* cls) { rows_.push_back({label, cls}); }
  void Remove(const TGIFExtensionClass* cls);
  const TGIFExtensionClass* Find(uint8_t label) const;
  size_t Count() const { return rows_.size(); }

 private:
  struct Row {
    uint8_t label;
    const TGIFExtensionClass* cls;
  };
  std::vector<Row> rows_;
};

// Application identity (all 11 bytes) to class; "NETSCAPE2.0" and
// "ANIMEXTS1.0" from the start.
class TAppExtensionList {
 public:
  void Add(const TGIFAppIdentity& identity, const TGIFExtensionClass* cls) { rows_.push_back({identity, cls}); }
  void Remove(const TGIFExtensionClass* cls);
  const TGIFExtensionClass* Find(const TGIFAppIdentity& identity) const;
  size_t Count() const { return rows_.size(); }

 private:
  struct Row {
    TGIFAppIdentity identity;
    const TGIFExtensionClass* cls;
  };
  std::vector<Row> rows_;
};

TExtensionList& ExtensionRegistry();
TAppExtensionList& AppExtensionRegistry();
TGIFAppIdentity MakeAppIdentity(const char* text);

// Finds the class of the extension whose label is at the stream's position;
// the position is put back. nullptr when there is none.
const TGIFExtensionClass* FindExtensionClass(TGIFReader& in);

}  // namespace orv
