// The language of the user interface: Japanese (the texts as written in the
// code) or English (the shipped translation), chosen from the locale.
#pragma once

#include <exception>
#include <string>

namespace orv {

enum class TUiLanguage { kJapanese, kEnglish };

// The locale that names the language of messages is the first set one of
// LC_ALL, LC_MESSAGES and LANG, as the C library reads them. English for a
// locale of the English language ("en", "en_GB.UTF-8", ...); Japanese for
// "ja..." and for every locale we have no translation for (also C and POSIX).
TUiLanguage ChooseUiLanguage(const char* lc_all, const char* lc_messages, const char* lang);
TUiLanguage UiLanguageOfEnvironment();

// Installs our translation and Qt's own texts for the language, after the
// QApplication exists (a later call switches). False when a file is missing.
bool InstallTranslations(TUiLanguage language);
TUiLanguage InstalledUiLanguage();

// A text of the code in the user's language, as UTF-8.
std::string Tr(const char* context, const char* source);
// The text with its first "%1", "%s" or "%d" replaced by arg byte for byte
// (paths need not be valid UTF-8).
std::string FillArg(std::string text, const std::string& arg);
// An exception's message in the user's language (Qt-free code marks its texts
// with the context "Exception").
std::string TranslatedMessage(const std::exception& e);

}  // namespace orv
