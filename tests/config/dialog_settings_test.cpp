// The dialog reads the settings into its controls with their limits, keeps
// its enabling rules, writes all its keys on OK only, and slides the icon
// out however it closes.
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>

#include "config/config_widgets.h"
#include "config/dialog_fixture.h"
#include "platform/paths.h"

namespace orv::test {
namespace {

class DialogSettingsTest : public DialogTest {
 public:
  bool Checked(const char* name) { return Get<QCheckBox>(name)->isChecked(); }
  bool Enabled(const char* name) { return Get(name)->isEnabled(); }
  int Interval() { return Get<TUpDown>("updIllustChangeSec")->Position(); }
  int DrawMode() { return Get<TRadioGroup>("RadioGroup")->ItemIndex(); }
  TSettings Saved() { return ReadSettings(IniPath(), "<default>"); }
};

TEST_F(DialogSettingsTest, NoSettingsFileShowsTheDefaults) {
  Open();
  EXPECT_EQ(Folder()->text().toStdString(), dir_.path());  // the program's own folder
  EXPECT_EQ(Get<QLineEdit>("edtIllustChangeSec")->text(), QString::fromLatin1("10"));
  EXPECT_EQ(Interval(), 10);
  EXPECT_TRUE(Checked("chkIllustExtend"));
  EXPECT_FALSE(Checked("chkPutFilename"));
  EXPECT_FALSE(Checked("chkPutFullPath"));
  EXPECT_TRUE(Checked("chkPutExtention"));
  EXPECT_FALSE(Enabled("chkPutFullPath"));
  EXPECT_FALSE(Enabled("chkPutExtention"));
  EXPECT_FALSE(Checked("chkBackColorEnable"));
  EXPECT_FALSE(Enabled("btnBGColor"));
  EXPECT_TRUE(Enabled("lblColor"));
  EXPECT_EQ(Get<TColorSwatch>("lblColor")->Color(), 0);
  EXPECT_EQ(DrawMode(), 0);
  EXPECT_FALSE(Checked("chkSubFolders"));
  EXPECT_EQ(form_->SavedFolder(), dir_.path());  // the field had the focus first
  EXPECT_FALSE(IniExists());
}

TEST_F(DialogSettingsTest, ControlsLimitStoredValuesAndOkWritesThemBack) {
  const struct {
    const char* interval;
    const char* draw_mode;
    int shown_interval, shown_mode;
  } cases[] = {{"100", "5", 60, 1},  {"0", "-3", 1, -1},  {"65546", "1", 10, 1},
               {"0x1E", "0", 30, 0}, {"-5", "-1", 1, -1}, {"junk", "junk", 10, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.interval);
    WriteIni(std::string("[BGIllust]\nChangeSec=") + c.interval + "\n[Settings]\nDrawMode=" + c.draw_mode + "\n");
    Open();
    EXPECT_EQ(Interval(), c.shown_interval);
    EXPECT_EQ(Get<QLineEdit>("edtIllustChangeSec")->text().toInt(), c.shown_interval);
    EXPECT_EQ(DrawMode(), c.shown_mode);
    auto* radio = Get<TRadioGroup>("RadioGroup");
    EXPECT_EQ(radio->Item(0)->isChecked() || radio->Item(1)->isChecked(), c.shown_mode >= 0);
    Click("btnOK");
    ASSERT_TRUE(Gone());
    EXPECT_EQ(Saved().changeSec, c.shown_interval);
    EXPECT_EQ(Saved().drawMode, c.shown_mode);
  }
}

TEST_F(DialogSettingsTest, OkWritesAllKeysInOrderAndKeepsOtherContent) {
  WriteIni("; kept\n[Other]\nA=1\n[BGIllust]\nFolder=/old\n");
  Open();
  Folder()->setText(QString::fromStdString(dir_.path()));
  Click("chkIllustExtend");
  Click("chkPutFilename");
  Click("chkPutFullPath");
  Click("chkBackColorEnable");
  Get<TColorSwatch>("lblColor")->SetColor(0x123456);
  Click("RadioGroupItem1");
  Click("chkAutoRotate");
  Click("chkSubFolders", QPoint(8, 8));  // its short text leaves the middle of the row dead
  Click("btnOK");
  ASSERT_TRUE(Gone());
  EXPECT_EQ(ReadFile(IniPath()), "; kept\n[Other]\nA=1\n[BGIllust]\nFolder=" + dir_.path() +
                                     "\nChangeSec=10\nExtend=0\nSubFolders=1\n[Filename]\nPutFilename=1\nPutFullPath=1\n"
                                     "PutExtention=1\n[BGColor]\nEnable=1\nColor=1193046\n[Settings]\nDrawMode=1\n"
                                     "AutoRotate=0\nFadeTime=0\n");
  EXPECT_TRUE(messages_.empty());
}

// The fade time shows in seconds, within 0 to 3, and goes back in tenths.
TEST_F(DialogSettingsTest, FadeTimeRoundTripsThroughItsSpinBox) {
  struct Case {
    const char* stored;
    const char* shown;
    int steps;  // up-arrow presses before OK
    int32_t saved;
  };
  const Case cases[] = {{"", "なし", 0, 0},          {"FadeTime=15", "1.5 秒", 0, 15},
                        {"FadeTime=99", "3.0 秒", 1, 30}, {"FadeTime=-2", "なし", 2, 2},
                        {"FadeTime=7", "0.7 秒", -1, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteIni(std::string("[Settings]\n") + c.stored + "\n");
    Open();
    auto* spin = Get<QDoubleSpinBox>("spnFadeTime");
    EXPECT_EQ(spin->text(), QString::fromUtf8(c.shown));
    // The label ends before the box begins.
    EXPECT_LE(Get("lblFadeTime")->geometry().right(), spin->geometry().left());
    spin->setFocus();
    for (int i = 0; i < std::abs(c.steps); ++i) Key(c.steps > 0 ? Qt::Key_Up : Qt::Key_Down);
    Click("btnOK");
    ASSERT_TRUE(Gone());
    EXPECT_EQ(Saved().fadeTime, c.saved);
  }
}

TEST_F(DialogSettingsTest, GreyedOutBoxesKeepAndSaveTheirState) {
  WriteIni("[Filename]\nPutFilename=1\nPutFullPath=1\nPutExtention=0\n[BGIllust]\nSubFolders=1\n");
  Open();
  EXPECT_TRUE(Checked("chkSubFolders"));
  EXPECT_TRUE(Enabled("chkPutFullPath"));
  Click("chkPutFilename");
  EXPECT_FALSE(Enabled("chkPutFullPath"));
  EXPECT_FALSE(Enabled("chkPutExtention"));
  Click("chkPutFullPath");  // greyed out: no effect
  EXPECT_TRUE(Checked("chkPutFullPath"));
  EXPECT_FALSE(Checked("chkPutExtention"));
  Click("btnOK");
  ASSERT_TRUE(Gone());
  EXPECT_FALSE(Saved().putFilename);
  EXPECT_TRUE(Saved().putFullPath);
  EXPECT_FALSE(Saved().putExtention);
  EXPECT_TRUE(Saved().subFolders);
}

TEST_F(DialogSettingsTest, ColourButtonFollowsItsCheckBox) {
  WriteIni("[BGColor]\nEnable=1\nColor=-16777216\n");  // a value with its top byte set is kept as read
  Open();
  EXPECT_TRUE(Enabled("btnBGColor"));
  Click("chkBackColorEnable");
  EXPECT_FALSE(Enabled("btnBGColor"));
  EXPECT_TRUE(Enabled("lblColor"));
  Click("chkBackColorEnable");
  EXPECT_TRUE(Enabled("btnBGColor"));
  Key(Qt::Key_Return);
  ASSERT_TRUE(Gone());
  EXPECT_EQ(Saved().bgColor, -16777216);
}

TEST_F(DialogSettingsTest, SpinnerStepsWithinOneToSixtyAndCannotBeTyped) {
  WriteIni("[BGIllust]\nChangeSec=59\n");
  Open();
  auto* edit = Get<QLineEdit>("edtIllustChangeSec");
  edit->setFocus();
  EXPECT_TRUE(edit->isReadOnly());
  QTest::keyClicks(edit, "7");
  EXPECT_EQ(edit->text(), QString::fromLatin1("59"));
  Key(Qt::Key_Up);
  EXPECT_EQ(edit->text(), QString::fromLatin1("60"));
  Key(Qt::Key_Up);  // no wrap-around
  Click("updIllustChangeSec", QPoint(8, 3));
  EXPECT_EQ(Interval(), 60);
  Click("updIllustChangeSec", QPoint(8, 18));
  EXPECT_EQ(edit->text(), QString::fromLatin1("59"));
  for (int i = 0; i < 70; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(Interval(), 1);
  Click("updIllustChangeSec", QPoint(8, 18));
  EXPECT_EQ(edit->text(), QString::fromLatin1("1"));
  Key(Qt::Key_Up);
  Click("btnOK");
  ASSERT_TRUE(Gone());
  EXPECT_EQ(Saved().changeSec, 2);
}

class FailingWriter : public ISettingsFileWriter {
 public:
  int Replace(const std::string&, const std::string&) override { return ENOSPC; }
};

TEST_F(DialogSettingsTest, FailedWriteIsReportedAndTheDialogStaysOpen) {
  const std::string old = "[BGIllust]\nFolder=" + dir_.path() + "\n";
  for (bool read_only_file : {true, false}) {
    SCOPED_TRACE(read_only_file ? "0444 file" : "failing writer");
    WriteIni(old);
    FailingWriter failing;
    Open();
    if (read_only_file)
      ASSERT_EQ(::chmod(IniPath().c_str(), 0444), 0);
    else
      form_->SetSettingsWriter(&failing);
    messages_.clear();
    Click("btnOK");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, IniPath() + " に書き込めません.");
    EXPECT_EQ(messages_[0].caption, "Orvanne");
    EXPECT_EQ(messages_[0].icon, MsgIcon::kError);
    ASSERT_FALSE(Gone());
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(icon_steps_.empty());
    EXPECT_EQ(ReadFile(IniPath()), old);
    ::chmod(IniPath().c_str(), 0644);
    delete form_.data();
  }
}

TEST_F(DialogSettingsTest, EveryWayOfClosingSlidesTheIconOutButOnlyOkWrites) {
  const struct {
    const char* way;
    std::function<void(DialogSettingsTest*)> close;
    bool writes;
  } ways[] = {
      {"OK", [](DialogSettingsTest* t) { t->Click("btnOK"); }, true},
      {"Enter", [](DialogSettingsTest* t) { t->Key(Qt::Key_Enter); }, true},
      {"Cancel", [](DialogSettingsTest* t) { t->Click("btnCancel"); }, false},
      {"Esc", [](DialogSettingsTest* t) { t->Key(Qt::Key_Escape); }, false},
      {"close button", [](DialogSettingsTest* t) { t->form_->close(); }, false},
  };
  std::vector<int> expected;
  for (int k = 1, left = 60; left <= 425; ++k) expected.push_back(left += k);
  ASSERT_EQ(expected.size(), 27u);
  ASSERT_EQ(expected.back(), 438);
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    ::unlink(IniPath().c_str());
    icon_steps_.clear();
    Open();
    Click("chkIllustExtend");
    way.close(this);
    EXPECT_TRUE(Gone());
    EXPECT_EQ(icon_steps_, expected);
    EXPECT_EQ(IniExists(), way.writes);
    if (way.writes) {
      EXPECT_FALSE(Saved().extend);
    }
  }
}

TEST_F(DialogSettingsTest, ColourChooserStartsOnTheSwatchAndKeepsCustomColours) {
  WriteIni("[BGColor]\nEnable=1\nColor=65280\n");
  Open();
  QColor initial;
  auto chooser = WhenModal<QColorDialog>([&](QColorDialog* d) {
    initial = d->currentColor();
    QColorDialog::setCustomColor(0, QColor(1, 2, 3));  // the user adds a custom colour
    d->setCurrentColor(QColor(255, 0, 0));
    d->accept();
  });
  Click("btnBGColor");
  ASSERT_TRUE(*chooser);
  EXPECT_EQ(initial, QColor(0, 255, 0));
  EXPECT_EQ(Get<TColorSwatch>("lblColor")->Color(), 255);

  QColor custom;
  chooser = WhenModal<QColorDialog>([&](QColorDialog* d) {
    custom = QColorDialog::customColor(0);
    d->setCurrentColor(QColor(0, 0, 255));
    d->reject();
  });
  Click("btnBGColor");
  ASSERT_TRUE(*chooser);
  EXPECT_EQ(custom, QColor(1, 2, 3));
  EXPECT_EQ(Get<TColorSwatch>("lblColor")->Color(), 255);  // cancelled: unchanged
  Click("btnOK");
  ASSERT_TRUE(Gone());
  EXPECT_EQ(Saved().bgColor, 255);

  // A new dialog starts with its own, white custom colours; nothing was kept
  // in Qt's per-user settings.
  Open();
  chooser = WhenModal<QColorDialog>([&](QColorDialog* d) {
    custom = QColorDialog::customColor(0);
    d->reject();
  });
  Click("btnBGColor");
  ASSERT_TRUE(*chooser);
  EXPECT_EQ(custom, QColor(Qt::white));
  EXPECT_TRUE(QDir(QString::fromStdString(UserConfigFolder())).isEmpty());
}

TEST_F(DialogSettingsTest, AnySettingsContentOpensAndOkWritesACompleteFile) {
  const std::string contents[] = {
      std::string("\0\0\xFF[BGIllust\n=\n[]\n", 16),
      "[BGIllust]\nFolder=" + std::string(100000, 'x') + "\nChangeSec=99999999999\n",
      "[BGIllust]\r\nFolder=\xFF\xFE/bad utf-8\r\nExtend=\"0\"\r\n[BGColor]\r\nColor=0x80000005",
      "[Settings]\nDrawMode=-2147483648\n[Settings]\nDrawMode=3\n",
  };
  for (const std::string& content : contents) {
    WriteIni(content);
    Open();
    const std::string shown = Folder()->text().toStdString();
    Key(Qt::Key_Return);  // OK without leaving the field, whatever it holds
    ASSERT_TRUE(Gone());
    const TSettings s = Saved();
    EXPECT_EQ(s.folder, shown.substr(0, 2047));
    EXPECT_GE(s.changeSec, 1);
    EXPECT_LE(s.changeSec, 60);
    EXPECT_GE(s.drawMode, -1);
    EXPECT_LE(s.drawMode, 1);
  }
}

}  // namespace
}  // namespace orv::test
