#include "platform/shell_link.h"

#include <cstring>
#include <vector>

#include "platform/file_util.h"
#include "platform/le_reader.h"
#include "platform/native.h"
#include "platform/paths.h"

namespace orv {

namespace {

constexpr uint32_t kHasLinkTargetIDList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kForceNoLinkInfo = 0x100;

constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// A short read ends the parse: ParseShellLink turns it into false.
struct ShortLink {};
[[noreturn]] void ThrowShortLink() { throw ShortLink{}; }
using Reader = TLEReader<ThrowShortLink>;

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE code units to UTF-8; false on an unpaired surrogate.
bool Utf16ToUtf8(const uint8_t* p, size_t units, std::string* out) {
  out->clear();
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = p[2 * i] | (p[2 * i + 1] << 8);
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= units) return false;
      uint32_t lo = p[2 * i + 2] | (p[2 * i + 3] << 8);
      if (lo < 0xDC00 || lo > 0xDFFF) return false;
      u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
      ++i;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return false;
    }
    AppendUtf8(*out, u);
  }
  return true;
}

// Shortcuts made on Japanese Windows store ANSI strings in code page 932.
bool AnsiToUtf8(const uint8_t* p, size_t n, std::string* out) {
  out->clear();
  bool ascii = true;
  for (size_t i = 0; i < n; ++i) ascii = ascii && p[i] < 0x80;
  if (ascii) {
    out->assign(reinterpret_cast<const char*>(p), n);
    return true;
  }
  return native::Cp932ToUtf8(p, n, out);
}

// A NUL-terminated string at offset within [base, base + limit).
bool CString(const uint8_t* base, size_t limit, uint32_t offset, bool wide, std::string* out) {
  if (offset >= limit) return false;
  const uint8_t* p = base + offset;
  size_t avail = limit - offset;
  if (wide) {
    size_t units = 0;
    while (2 * units + 1 < avail && (p[2 * units] | p[2 * units + 1]) != 0) ++units;
    if (2 * units + 1 >= avail) return false;
    return Utf16ToUtf8(p, units, out);
  }
  const void* nul = std::memchr(p, 0, avail);
  if (!nul) return false;
  return AnsiToUtf8(p, size_t(static_cast<const uint8_t*>(nul) - p), out);
}

bool ParseLink(Reader& r, ShellLinkData* out) {
  if (r.LE32() != 0x4C) return false;
  if (std::memcmp(r.Bytes(16), kLinkClsid, 16) != 0) return false;
  const uint32_t flags = r.LE32();
  r.Skip(0x4C - 24);
  out->flags = flags;

  if (flags & kHasLinkTargetIDList) r.Skip(r.LE16());

  if ((flags & kHasLinkInfo) && !(flags & kForceNoLinkInfo)) {
    const uint32_t li_size = Reader(r).LE32();
    if (li_size < 0x1C) return false;
    const uint8_t* block = r.Bytes(li_size);
    Reader li(block, li_size);
    li.Skip(4);
    const uint32_t li_header = li.LE32(), li_flags = li.LE32();
    li.Skip(4);  // the volume ID
    const uint32_t local = li.LE32(), net = li.LE32(), suffix = li.LE32();
    uint32_t local_w = 0, suffix_w = 0;
    if (li_header >= 0x24) {
      local_w = li.LE32();
      suffix_w = li.LE32();
    }
    if (li_flags & 0x1) {
      std::string s;
      if (local_w && CString(block, li_size, local_w, true, &s))
        out->local_base_path = s;
      else if (CString(block, li_size, local, false, &s))
        out->local_base_path = s;
    }
    if (li_flags & 0x2) {
      // CommonNetworkRelativeLink: size, flags, NetNameOffset, ... relative to its own start.
      if (uint64_t(net) + 20 <= li_size && net >= 0x1C) {
        Reader cnrl_reader(block, li_size);
        cnrl_reader.Skip(net);
        const uint8_t* cnrl = cnrl_reader.Bytes(0);
        const uint32_t cnrl_size = cnrl_reader.LE32();
        cnrl_reader.Skip(4);
        const uint32_t name_off = cnrl_reader.LE32();
        if (cnrl_size <= li_size - net) {
          std::string s;
          if (CString(cnrl, cnrl_size, name_off, false, &s)) out->net_name = s;
        }
      }
    }
    std::string s;
    if (suffix_w && CString(block, li_size, suffix_w, true, &s))
      out->common_path_suffix = s;
    else if (suffix && CString(block, li_size, suffix, false, &s))
      out->common_path_suffix = s;
  }

  const bool wide = flags & kIsUnicode;
  std::string* fields[] = {&out->name, &out->relative_path, &out->working_dir, &out->arguments,
                           &out->icon_location};
  const uint32_t bits[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments,
                           kHasIconLocation};
  for (int i = 0; i < 5; ++i) {
    if (!(flags & bits[i])) continue;
    const uint16_t count = r.LE16();
    const uint8_t* p = r.Bytes(size_t(count) * (wide ? 2 : 1));
    bool ok = wide ? Utf16ToUtf8(p, count, fields[i]) : AnsiToUtf8(p, count, fields[i]);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool ParseShellLink(const uint8_t* data, size_t size, ShellLinkData* out) {
  *out = ShellLinkData{};
  Reader r(data, size);
  try {
    return ParseLink(r, out);
  } catch (const ShortLink&) {
    return false;
  }
}

std::string ResolveShortcut(const std::string& link_path) {
  std::string bytes;
  if (!FileExists(link_path) || !ReadWholeFile(link_path, &bytes)) return {};
  ShellLinkData link;
  if (!ParseShellLink(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &link)) return {};
  if (!link.relative_path.empty()) {
    std::string rel = link.relative_path;
    for (auto& c : rel)
      if (c == '\\' || c == '/') c = native::kPathDelim;
    if (native::PathRootLength(rel) == 0) {
      std::string candidate = ExpandFileName(IncludeTrailingSeparator(FolderOf(ExpandFileName(link_path))) + rel);
      if (!GetTruePath(candidate, true).empty()) return candidate;
    }
  }
  std::string base = link.local_base_path;
  if (base.empty()) return {};
  if (!link.common_path_suffix.empty()) {
    if (base.back() != '\\' && base.back() != '/') base += '\\';
    base += link.common_path_suffix;
  }
  return MapWindowsPath(base);
}

}  // namespace orv
