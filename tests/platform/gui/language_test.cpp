// The language follows the locale, the shipped English translation covers
// every text of the code, and Japanese shows the texts exactly as written.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/gui/language.h"
#include "platform/ts_texts.h"

namespace orv {
namespace {

struct TsMessage {
  std::string context, source, translation;
  bool finished = true;
};

std::vector<TsMessage> ReadTs(const std::string& path) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
  QXmlStreamReader xml(&file);
  std::vector<TsMessage> out;
  std::string context;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"name") context = xml.readElementText().toStdString();
    if (xml.name() == u"message") out.push_back(TsMessage{context, {}, {}, true});
    if (xml.name() == u"source") out.back().source = xml.readElementText().toStdString();
    if (xml.name() == u"translation") {
      const auto type = xml.attributes().value(QLatin1String("type"));
      out.back().finished = type.isEmpty();
      out.back().translation = xml.readElementText().toStdString();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return out;
}

TEST(UiLanguage, FollowsTheFirstSetOfLcAllLcMessagesLang) {
  using L = TUiLanguage;
  const struct {
    const char *lc_all, *lc_messages, *lang;
    L expected;
  } cases[] = {
      {nullptr, nullptr, "en_US.UTF-8", L::kEnglish},
      {nullptr, nullptr, "en", L::kEnglish},
      {nullptr, "en_GB.UTF-8", "ja_JP.UTF-8", L::kEnglish},
      {"ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", L::kJapanese},
      {"", "", "en_US.UTF-8", L::kEnglish},  // empty counts as unset
      {"en_US@euro", nullptr, nullptr, L::kEnglish},
      {nullptr, nullptr, "ja_JP.eucJP", L::kJapanese},
      {nullptr, nullptr, "de_DE.UTF-8", L::kJapanese},  // no translation for German
      {nullptr, nullptr, "C.UTF-8", L::kJapanese},
      {nullptr, nullptr, "POSIX", L::kJapanese},
      {nullptr, nullptr, "eng", L::kJapanese},  // not the language "en"
      {nullptr, nullptr, nullptr, L::kJapanese},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseUiLanguage(c.lc_all, c.lc_messages, c.lang), c.expected)
        << (c.lc_all ? c.lc_all : "-") << " / " << (c.lc_messages ? c.lc_messages : "-") << " / "
        << (c.lang ? c.lang : "-");
}

// The tracked .ts holds every text the code marks (a fresh scan of the
// sources finds no other) and each has a finished English text.
TEST(UiLanguage, EnglishCoversEveryTextOfTheSources) {
  const std::string fresh = testing::TempDir() + "/orvanne_scan.ts";
  std::filesystem::remove(fresh);
  const std::string scan = std::string(ORV_LUPDATE) + " " + ORV_LUPDATE_OPTIONS + " '" + ORV_SOURCE_DIR +
                           "/src' -ts '" + fresh + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(scan.c_str()), 0) << scan;
  const std::vector<TsMessage> tracked = ReadTs(ORV_TS_FILE);
  const std::vector<TsMessage> scanned = ReadTs(fresh);
  ASSERT_GE(scanned.size(), 40u);
  for (const TsMessage& s : scanned) {
    bool found = false;
    for (const TsMessage& t : tracked) found |= t.context == s.context && t.source == s.source;
    EXPECT_TRUE(found) << s.context << ": \"" << s.source << "\" is not in the .ts (run update_translations)";
  }
  for (const TsMessage& t : tracked) {
    EXPECT_TRUE(t.finished && !t.translation.empty()) << t.context << ": \"" << t.source << "\" has no English";
  }
}

// Japanese leaves every text as written; English gives the embedded
// translation, also for the messages of the Qt-free code.
// Faces without Qt read the built-in .ts themselves: the same texts as Qt's reader.
TEST(UiLanguage, BuiltInTableAgreesWithQtsReaderOfTheTs) {
  size_t finished = 0;
  for (const TsMessage& m : ReadTs(ORV_TS_FILE)) {
    if (!m.finished || m.translation.empty()) continue;
    ++finished;
    const std::string* text = EnglishTexts().Find(m.context, m.source);
    ASSERT_NE(text, nullptr) << m.context << ": " << m.source;
    EXPECT_EQ(*text, m.translation);
  }
  EXPECT_GT(finished, 0u);
  EXPECT_EQ(EnglishTexts().Size(), finished);
}

TEST(UiLanguage, JapaneseKeepsTheSourcesEnglishTranslatesThem) {
  const std::vector<TsMessage> tracked = ReadTs(ORV_TS_FILE);
  ASSERT_FALSE(tracked.empty());
  ASSERT_TRUE(InstallTranslations(TUiLanguage::kJapanese));
  for (const TsMessage& t : tracked)
    EXPECT_EQ(Tr(t.context.c_str(), t.source.c_str()), t.source) << t.context;
  const QString qt_japanese = QCoreApplication::translate("QPlatformTheme", "Cancel");

  ASSERT_TRUE(InstallTranslations(TUiLanguage::kEnglish));
  for (const TsMessage& t : tracked)
    EXPECT_EQ(Tr(t.context.c_str(), t.source.c_str()), t.translation) << t.context << ": " << t.source;
  // Qt's own buttons follow: their Japanese text is gone.
  EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), qt_japanese);
  EXPECT_EQ(TranslatedMessage(EFOpenError::ForPath("/x/\xff.jpg")), "Cannot open file /x/\xff.jpg");
  EXPECT_EQ(TranslatedMessage(EReadError()), "Stream read error");

  ASSERT_TRUE(InstallTranslations(TUiLanguage::kJapanese));
  EXPECT_EQ(TranslatedMessage(EFOpenError::ForPath("/x/\xff.jpg")), "ファイル /x/\xff.jpg は開けません");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), qt_japanese);
}

}  // namespace
}  // namespace orv
