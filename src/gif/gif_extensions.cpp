#include "gif/gif_extensions.h"

#include <cstring>

#include "gif/gif_read.h"
#include "gif/gif_subimage.h"

namespace orv {

TGIFExtension::TGIFExtension(TGIFSubImage* frame) : TGIFItem(frame ? frame->Image() : nullptr), frame_(frame) {}

void TGIFExtension::LoadFromStream(TStream& stream) {
  uint8_t head[2];
  ReadExact(stream, head, 2);
  if (head[0] != kExtensionIntroducer) throw GIFException("Invalid extension introducer");
  if (head[1] != ExtensionLabel())
    throw GIFException("Internal error: Extension Instance does not match Extension Label");
  ReadBody(stream);
}

// --- graphic control ---

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame) : TGIFExtension(frame) {
  // The first control extension of a frame is the frame's.
  if (frame_ && !frame_->GraphicControlExtension()) frame_->SetGraphicControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
  if (!frame_) return;
  if (frame_->GraphicControlExtension() == this) frame_->SetGraphicControlExtension(nullptr);
  if (Transparent()) frame_->SetTransparent(false);
}

void TGIFGraphicControlExtension::ReadBody(TStream& stream) {
  uint8_t raw[6];
  int64_t got = stream.Read(raw, 6);
  // Short blocks keep the bytes that came.
  uint8_t rec[6] = {rec_.BlockSize, rec_.PackedFields, uint8_t(rec_.DelayTime), uint8_t(rec_.DelayTime >> 8),
                    rec_.TransparentColorIndex, rec_.Terminator};
  std::memcpy(rec, raw, size_t(got > 0 ? got : 0));
  TGIFFields f(rec, sizeof rec);
  rec_.BlockSize = f.U8();
  rec_.PackedFields = f.U8();
  rec_.DelayTime = f.LE16();
  rec_.TransparentColorIndex = f.U8();
  rec_.Terminator = f.U8();
  if (got < 6) {
    ReportWarning(1, "Premature end of data");
    return;
  }
  if ((rec_.PackedFields & 1) && frame_) frame_->SetTransparent(true);
}

// --- plain text and comment ---

void TGIFTextExtension::ReadBody(TStream& stream) {
  TGIFRecord<13> raw(stream);
  header_.BlockSize = raw.U8();
  header_.Left = raw.LE16();
  header_.Top = raw.LE16();
  header_.Width = raw.LE16();
  header_.Height = raw.LE16();
  header_.CellWidth = raw.U8();
  header_.CellHeight = raw.U8();
  header_.ForegroundColorIndex = raw.U8();
  header_.BackgroundColorIndex = raw.U8();
  ReadTextSubBlocks(stream, text_);
}

void TGIFCommentExtension::ReadBody(TStream& stream) { ReadTextSubBlocks(stream, text_); }

// --- application extensions ---

std::string TGIFApplicationExtension::Identifier() const {
  return std::string(identity_.data(), strnlen(identity_.data(), identity_.size()));
}

void TGIFApplicationExtension::ReadBody(TStream& stream) {
  uint8_t size;
  ReadExact(stream, &size, 1);
  identity_.fill(0);
  if (size == 10) {
    ReadExact(stream, identity_.data(), 10);
  } else if (size < 11) {
    throw GIFException("Unsupported Application Extension block size");
  } else {
    ReadExact(stream, identity_.data(), 11);
    SkipBytes(stream, size - 11);
  }
  ReadPayload(stream);
}

void TGIFApplicationExtension::ReadPayload(TStream& stream) {
  blocks_.clear();
  uint8_t size;
  while (ReadByte(stream, size) && size != 0) {
    TGIFBlock block;
    block.Data.resize(size);
    ReadExact(stream, block.Data.data(), size);
    blocks_.push_back(std::move(block));
  }
}

void TGIFAppExtNSLoop::ReadPayload(TStream& stream) {
  uint8_t n;
  while (ReadByte(stream, n) && n != 0) {
    uint8_t id;
    ReadExact(stream, &id, 1);
    if ((id & 7) == 1) {
      if (n < 3) throw GIFException("Invalid GIF data");
      loop_count_ = TGIFRecord<2>(stream).LE16();
      SkipBytes(stream, n - 3);
    } else if ((id & 7) == 2) {
      if (n < 5) throw GIFException("Invalid GIF data");
      buffer_length_ = TGIFRecord<4>(stream).LE32();
      SkipBytes(stream, n - 5);
    } else {
      SkipBytes(stream, n - 1);
    }
  }
}

// --- classes and registries ---

namespace {

const TGIFExtensionClass* ResolveSelf(const TGIFExtensionClass* self, TStream&) { return self; }

const TGIFExtensionClass* ResolveApplication(const TGIFExtensionClass* self, TStream& stream) {
  const int64_t at_size = stream.Position();
  uint8_t size;
  if (!ReadByte(stream, size)) return nullptr;
  if (size == 10) {
    uint8_t skip[10];
    if (stream.Read(skip, 10) != 10) return nullptr;
    return &kGIFUnknownAppExtensionClass;
  }
  if (size != 11 || BytesLeft(stream) < 11) {
    stream.Seek(at_size, soBeginning);
    return self;
  }
  TGIFAppIdentity id;
  ReadExact(stream, id.data(), 11);
  const TGIFExtensionClass* cls = AppExtensionRegistry().Find(id);
  return cls ? cls : &kGIFUnknownAppExtensionClass;
}

template <class T>
std::unique_ptr<TGIFExtension> Create(TGIFSubImage* frame) {
  return std::make_unique<T>(frame);
}

}  // namespace

const TGIFExtensionClass kGIFGraphicControlExtensionClass{"TGIFGraphicControlExtension", 0xF9, ResolveSelf,
                                                          Create<TGIFGraphicControlExtension>};
const TGIFExtensionClass kGIFTextExtensionClass{"TGIFTextExtension", 0x01, ResolveSelf, Create<TGIFTextExtension>};
const TGIFExtensionClass kGIFCommentExtensionClass{"TGIFCommentExtension", 0xFE, ResolveSelf,
                                                   Create<TGIFCommentExtension>};
const TGIFExtensionClass kGIFApplicationExtensionClass{"TGIFApplicationExtension", 0xFF, ResolveApplication,
                                                       Create<TGIFApplicationExtension>};
const TGIFExtensionClass kGIFAppExtNSLoopClass{"TGIFAppExtNSLoop", 0xFF, ResolveApplication,
                                               Create<TGIFAppExtNSLoop>};
const TGIFExtensionClass kGIFUnknownAppExtensionClass{"TGIFUnknownAppExtension", 0xFF, ResolveApplication,
                                                      Create<TGIFUnknownAppExtension>};

const TGIFExtensionClass* TGIFGraphicControlExtension::ClassType() const { return &kGIFGraphicControlExtensionClass; }
const TGIFExtensionClass* TGIFTextExtension::ClassType() const { return &kGIFTextExtensionClass; }
const TGIFExtensionClass* TGIFCommentExtension::ClassType() const { return &kGIFCommentExtensionClass; }
const TGIFExtensionClass* TGIFApplicationExtension::ClassType() const { return &kGIFApplicationExtensionClass; }
const TGIFExtensionClass* TGIFAppExtNSLoop::ClassType() const { return &kGIFAppExtNSLoopClass; }
const TGIFExtensionClass* TGIFUnknownAppExtension::ClassType() const { return &kGIFUnknownAppExtensionClass; }

TGIFAppIdentity MakeAppIdentity(const char* text) {
  TGIFAppIdentity id{};
  std::memcpy(id.data(), text, strnlen(text, id.size()));
  return id;
}

void TExtensionList::Remove(const TGIFExtensionClass* cls) {
  std::erase_if(rows_, [&](const Row& r) { return r.cls == cls; });
}

const TGIFExtensionClass* TExtensionList::Find(uint8_t label) const {
  for (auto it = rows_.rbegin(); it != rows_.rend(); ++it)
    if (it->label == label) return it->cls;
  return nullptr;
}

void TAppExtensionList::Remove(const TGIFExtensionClass* cls) {
  std::erase_if(rows_, [&](const Row& r) { return r.cls == cls; });
}

const TGIFExtensionClass* TAppExtensionList::Find(const TGIFAppIdentity& identity) const {
  for (auto it = rows_.rbegin(); it != rows_.rend(); ++it)
    if (it->identity == identity) return it->cls;
  return nullptr;
}

TExtensionList& ExtensionRegistry() {
  static TExtensionList list = [] {
    TExtensionList l;
    l.Add(0x01, &kGIFTextExtensionClass);
    l.Add(0xF9, &kGIFGraphicControlExtensionClass);
    l.Add(0xFE, &kGIFCommentExtensionClass);
    l.Add(0xFF, &kGIFApplicationExtensionClass);
    return l;
  }();
  return list;
}

TAppExtensionList& AppExtensionRegistry() {
  static TAppExtensionList list = [] {
    TAppExtensionList l;
    l.Add(MakeAppIdentity("NETSCAPE2.0"), &kGIFAppExtNSLoopClass);
    l.Add(MakeAppIdentity("ANIMEXTS1.0"), &kGIFAppExtNSLoopClass);
    return l;
  }();
  return list;
}

const TGIFExtensionClass* FindExtensionClass(TStream& stream) {
  const int64_t start = stream.Position();
  const TGIFExtensionClass* cls = nullptr;
  uint8_t label;
  if (ReadByte(stream, label)) {
    cls = ExtensionRegistry().Find(label);
    // Each answer reads further; the chain ends when a class answers itself.
    while (cls) {
      const TGIFExtensionClass* next = cls->resolve(cls, stream);
      if (next == cls) break;
      cls = next;
    }
  }
  stream.Seek(start, soBeginning);
  return cls;
}

}  // namespace orv
