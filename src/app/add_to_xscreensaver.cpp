#include "app/add_to_xscreensaver.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "app/xscreensaver_entry.h"
#include "platform/file_util.h"
#include "platform/gui/language.h"

namespace orv {

namespace {

constexpr const char* kSystemDefaults = "/etc/X11/app-defaults/XScreenSaver";

std::optional<std::string> ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

int Say(std::FILE* to, const std::string& text, int status) {
  std::fprintf(to, "%s%s\n", to == stderr ? "orvanne: " : "", text.c_str());
  return status;
}

}  // namespace

bool IsAddToXscreensaver(const std::vector<std::string>& args) {
  return args.size() == 1 && (args[0] == "--add-to-xscreensaver" || args[0] == "-add-to-xscreensaver");
}

int AddToXscreensaver(int& argc, char** argv) {
  QCoreApplication app(argc, argv);  // for the translations only
  InstallTranslations(UiLanguageOfEnvironment());
  const char* home = std::getenv("HOME");
  if (!home || *home != '/') return Say(stderr, Tr("Orvanne", "HOME が設定されていません"), 1);
  const std::string path = std::string(home) + "/.xscreensaver";
  const std::optional<std::string> user = ReadText(path);
  const std::optional<std::string> defaults = ReadText(kSystemDefaults);
  if (!user && !defaults)
    return Say(stderr, FillArg(Tr("Orvanne", "%1 がありません。xscreensaver はインストールされていますか？"),
                               kSystemDefaults), 1);
  const TXscreensaverFile file = WithXscreensaverEntry(user, defaults.value_or(""));
  switch (file.result) {
    case TEntryResult::kPresent:
      return Say(stdout, FillArg(Tr("Orvanne", "%1 にはすでに Orvanne があります"), path), 0);
    case TEntryResult::kNoList:
      return Say(stderr, FillArg(Tr("Orvanne", "%1 に programs の一覧がありません"), kSystemDefaults), 1);
    case TEntryResult::kAdded: break;
  }
  if (ReplaceFileAtomically(path, file.content) != 0)
    return Say(stderr, FillArg(Tr("Orvanne", "%1 に書き込めません"), path), 1);
  return Say(stdout, FillArg(Tr("Orvanne", "%1 の programs に Orvanne を加えました"), path), 0);
}

}  // namespace orv
