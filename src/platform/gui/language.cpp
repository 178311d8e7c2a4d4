#include "platform/gui/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/exceptions.h"

namespace orv {

namespace {

TUiLanguage g_installed = TUiLanguage::kJapanese;

bool IsSet(const char* value) { return value && *value; }

// Loaded once; usable before the QApplication exists (errors of the command
// line come before it).
QTranslator* EnglishTexts() {
  static QTranslator* texts = [] {
    auto* t = new QTranslator;
    if (!t->load(QStringLiteral(":/i18n/orvanne_en.qm"))) {
      delete t;
      t = nullptr;
    }
    return t;
  }();
  return texts;
}

}  // namespace

TUiLanguage ChooseUiLanguage(const char* lc_all, const char* lc_messages, const char* lang) {
  const char* locale = IsSet(lc_all) ? lc_all : IsSet(lc_messages) ? lc_messages : lang;
  if (!IsSet(locale)) return TUiLanguage::kJapanese;
  // The language is what comes before the territory, codeset or modifier.
  const size_t n = std::strcspn(locale, "_.@");
  if (n == 2 && std::strncmp(locale, "en", 2) == 0) return TUiLanguage::kEnglish;
  return TUiLanguage::kJapanese;
}

TUiLanguage UiLanguageOfEnvironment() {
  return ChooseUiLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

bool InstallTranslations(TUiLanguage language) {
  static QTranslator qt_own;
  g_installed = language;
  const bool english = language == TUiLanguage::kEnglish;
  // A second call switches the language.
  QCoreApplication::removeTranslator(&qt_own);
  QTranslator* ours = EnglishTexts();
  if (ours) QCoreApplication::removeTranslator(ours);
  bool complete = true;
  // Japanese is the texts as written: only English needs our file.
  if (english) complete = ours && QCoreApplication::installTranslator(ours);
  // The stock dialogs and buttons speak the same language as ours.
  if (qt_own.load(english ? QStringLiteral("qtbase_en") : QStringLiteral("qtbase_ja"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qt_own);
  else
    complete = false;
  return complete;
}

TUiLanguage InstalledUiLanguage() { return g_installed; }

std::string Tr(const char* context, const char* source) {
  if (QCoreApplication::instance()) return QCoreApplication::translate(context, source).toStdString();
  if (UiLanguageOfEnvironment() == TUiLanguage::kEnglish) {
    if (QTranslator* texts = EnglishTexts()) {
      const QString text = texts->translate(context, source);
      if (!text.isEmpty()) return text.toStdString();
    }
  }
  return source;
}

std::string FillArg(std::string text, const std::string& arg) {
  size_t at = std::string::npos;
  for (const char* tag : {"%1", "%s", "%d"}) at = std::min(at, text.find(tag));
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

std::string TranslatedMessage(const std::exception& e) {
  const auto* ours = dynamic_cast<const Exception*>(&e);
  if (!ours) return e.what();
  if (ours->Argument().empty() && ours->Pattern() == ours->Message())
    return Tr("Exception", ours->Pattern().c_str());
  return FillArg(Tr("Exception", ours->Pattern().c_str()), ours->Argument());
}

}  // namespace orv
