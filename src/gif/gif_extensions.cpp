#include "gif/gif_extensions.h"

#include <algorithm>
#include <cstring>

#include "gif/gif_read.h"
#include "gif/gif_subimage.h"

namespace orv {

TGIFExtension::TGIFExtension(TGIFSubImage* frame) : TGIFItem(frame ? frame->Image() : nullptr), frame_(frame) {}

void TGIFExtension::LoadFromStream(TGIFReader& in) {
  const uint8_t* head = in.Bytes(2);
  if (head[0] != kExtensionIntroducer) throw GIFException("Invalid extension introducer");
  if (head[1] != ExtensionLabel())
    throw GIFException("Internal error: Extension Instance does not match Extension Label");
  ReadBody(in);
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

void TGIFGraphicControlExtension::ReadBody(TGIFReader& in) {
  // Short blocks keep the bytes that came.
  const size_t got = std::min<size_t>(6, in.Remaining());
  uint8_t rec[6] = {rec_.BlockSize, rec_.PackedFields, uint8_t(rec_.DelayTime), uint8_t(rec_.DelayTime >> 8),
                    rec_.TransparentColorIndex, rec_.Terminator};
  std::memcpy(rec, in.Bytes(got), got);
  TGIFReader f(rec, sizeof rec);
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

void TGIFTextExtension::ReadBody(TGIFReader& in) {
  TGIFReader raw = in.Slice(13);
  header_.BlockSize = raw.U8();
  header_.Left = raw.LE16();
  header_.Top = raw.LE16();
  header_.Width = raw.LE16();
  header_.Height = raw.LE16();
  header_.CellWidth = raw.U8();
  header_.CellHeight = raw.U8();
  header_.ForegroundColorIndex = raw.U8();
  header_.BackgroundColorIndex = raw.U8();
  ReadTextSubBlocks(in, text_);
}

void TGIFCommentExtension::ReadBody(TGIFReader& in) { ReadTextSubBlocks(in, text_); }

// --- application extensions ---

std::string TGIFApplicationExtension::Identifier() const {
  return std::string(identity_.data(), strnlen(identity_.data(), identity_.size()));
}

void TGIFApplicationExtension::ReadBody(TGIFReader& in) {
  const uint8_t size = in.U8();
  identity_.fill(0);
  if (size == 10) {
    std::memcpy(identity_.data(), in.Bytes(10), 10);
  } else if (size < 11) {
    throw GIFException("Unsupported Application Extension block size");
  } else {
    std::memcpy(identity_.data(), in.Bytes(11), 11);
    in.SkipUpTo(size - 11);
  }
  ReadPayload(in);
}

void TGIFApplicationExtension::ReadPayload(TGIFReader& in) {
  blocks_.clear();
  uint8_t size;
  while (in.TryU8(size) && size != 0) {
    const uint8_t* data = in.Bytes(size);
    blocks_.push_back(TGIFBlock{std::vector<uint8_t>(data, data + size)});
  }
}

void TGIFAppExtNSLoop::ReadPayload(TGIFReader& in) {
  uint8_t n;
  while (in.TryU8(n) && n != 0) {
    const uint8_t id = in.U8();
    if ((id & 7) == 1) {
      if (n < 3) throw GIFException("Invalid GIF data");
      loop_count_ = in.LE16();
      in.SkipUpTo(n - 3);
    } else if ((id & 7) == 2) {
      if (n < 5) throw GIFException("Invalid GIF data");
      buffer_length_ = in.LE32();
      in.SkipUpTo(n - 5);
    } else {
      in.SkipUpTo(n - 1);
    }
  }
}

// --- classes and registries ---

namespace {

const TGIFExtensionClass* ResolveSelf(const TGIFExtensionClass* self, TGIFReader&) { return self; }

const TGIFExtensionClass* ResolveApplication(const TGIFExtensionClass* self, TGIFReader& in) {
  const size_t at_size = in.Position();
  uint8_t size;
  if (!in.TryU8(size)) return nullptr;
  if (size == 10) {
    if (in.SkipUpTo(10) != 10) return nullptr;
    return &kGIFUnknownAppExtensionClass;
  }
  if (size != 11 || in.Remaining() < 11) {
    in.Seek(at_size);
    return self;
  }
  TGIFAppIdentity id;
  std::memcpy(id.data(), in.Bytes(11), 11);
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

const TGIFExtensionClass* FindExtensionClass(TGIFReader& in) {
  const size_t start = in.Position();
  const TGIFExtensionClass* cls = nullptr;
  uint8_t label;
  if (in.TryU8(label)) {
    cls = ExtensionRegistry().Find(label);
    // Each answer reads further; the chain ends when a class answers itself.
    while (cls) {
      const TGIFExtensionClass* next = cls->resolve(cls, in);
      if (next == cls) break;
      cls = next;
    }
  }
  in.Seek(start);
  return cls;
}

}  // namespace orv
