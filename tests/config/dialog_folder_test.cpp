// The folder field: the check on leaving it, the click that moved the focus,
// opening the folder and the folder browser.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

#include "config/dialog_fixture.h"
#include "platform/gui/qt_window.h"

namespace orv::test {
namespace {

const char kMissing[] = "指定されたフォルダは存在しません。";

class DialogFolderTest : public DialogTest {
 public:
  // Opens the dialog and types a folder that does not exist into the field.
  void OpenWithMissingFolder() {
    Open();
    Folder()->selectAll();
    QTest::keyClicks(Folder(), QString::fromStdString(dir_ / "missing"));
    ASSERT_EQ(Folder()->text().toStdString(), dir_ / "missing");
  }
  // The message was shown once, and the field is back to the saved text,
  // focused and selected.
  void ExpectReportedAndRestored() {
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, kMissing);
    EXPECT_EQ(messages_[0].caption, "情報");
    EXPECT_EQ(messages_[0].icon, MsgIcon::kInformation);
    EXPECT_EQ(messages_[0].owner, Win(form_.data()));
    EXPECT_EQ(Folder()->text().toStdString(), dir_.path());
    EXPECT_EQ(FocusName(), QString::fromLatin1("edtIllustFolder"));
    EXPECT_EQ(Folder()->selectedText(), Folder()->text());
  }
};

TEST_F(DialogFolderTest, LeavingAMissingFolderReportsAndRestoresTheSavedText) {
  const char* targets[] = {"btnIllustFolderOpen", "edtIllustChangeSec", "chkBackColorEnable",
                           "chkIllustExtend",     "RadioGroupItem1",    "btnOK"};
  for (const char* target : targets) {
    SCOPED_TRACE(target);
    messages_.clear();
    OpenWithMissingFolder();
    Get(target)->setFocus(Qt::TabFocusReason);
    ExpectReportedAndRestored();
    delete form_.data();
  }
}

TEST_F(DialogFolderTest, MovingToBrowseOrCancelIsSilent) {
  for (const char* target : {"btnIllustFolderSelect", "btnCancel"}) {
    SCOPED_TRACE(target);
    OpenWithMissingFolder();
    Get(target)->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(Folder()->text().toStdString(), dir_ / "missing");
    EXPECT_EQ(FocusName(), QString::fromLatin1(target));
    delete form_.data();
  }
}

TEST_F(DialogFolderTest, ClickThatMovedTheFocusDoesNotAct) {
  const struct {
    const char* control;
    std::function<bool(DialogFolderTest*)> acted;
  } clicks[] = {
      {"btnOK", [](DialogFolderTest* t) { return t->IniExists() || t->Gone(); }},
      {"btnIllustFolderOpen", [](DialogFolderTest* t) { return !t->opened_.urls.empty(); }},
      {"chkIllustExtend", [](DialogFolderTest* t) { return !t->Get<QCheckBox>("chkIllustExtend")->isChecked(); }},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.control);
    messages_.clear();
    OpenWithMissingFolder();
    Click(click.control);
    ExpectReportedAndRestored();
    EXPECT_FALSE(click.acted(this));
    EXPECT_TRUE(form_->isVisible());
    // The next click is an ordinary one again: the field holds a real folder.
    QTest::qWait(1);
    Click(click.control);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(click.acted(this));
    delete form_.data();
    ::unlink(IniPath().c_str());
  }
}

TEST_F(DialogFolderTest, MessageLoopCannotStartASecondCheck) {
  OpenWithMissingFolder();
  // While the box is up the focus wanders again, as a nested event loop may
  // make it.
  during_message_ = [this](const MessageBoxRequest&) {
    Get("chkIllustExtend")->setFocus(Qt::OtherFocusReason);
    Folder()->setFocus(Qt::OtherFocusReason);
    Get("btnOK")->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
  };
  Get("edtIllustChangeSec")->setFocus(Qt::TabFocusReason);
  during_message_ = nullptr;
  ExpectReportedAndRestored();
}

TEST_F(DialogFolderTest, SwitchingWindowsNeitherLeavesNorEntersTheField) {
  OpenWithMissingFolder();
  QWidget other;
  auto* edit = new QLineEdit(&other);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  edit->setFocus();
  EXPECT_EQ(QApplication::focusWidget(), edit);
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
  EXPECT_EQ(FocusName(), QString::fromLatin1("edtIllustFolder"));
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(form_->SavedFolder(), dir_.path());  // not the missing folder typed since
  Get("btnOK")->setFocus(Qt::TabFocusReason);
  ExpectReportedAndRestored();
}

TEST_F(DialogFolderTest, ChecksEachClickAwayAlsoWhileTheDialogIsNotTheActiveWindow) {
  // With no window manager nothing activates the dialog again after the
  // first message: the check must not depend on the activation.
  OpenWithMissingFolder();
  auto* box = Get<QCheckBox>("chkIllustExtend");
  const bool checked = box->isChecked();
  for (size_t round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    QApplication::setActiveWindow(nullptr);
    ASSERT_FALSE(form_->isActiveWindow());
    Folder()->setText(QString::fromStdString(dir_ / "missing"));
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_EQ(messages_.size(), round);
    EXPECT_EQ(Folder()->text().toStdString(), dir_.path());
    EXPECT_EQ(form_->focusWidget(), Folder());
    EXPECT_EQ(box->isChecked(), checked);  // the click did not go on to act
    QTest::qWait(1);
  }
}

TEST_F(DialogFolderTest, EnterInTheFieldSavesAMissingFolderWithoutAQuestion) {
  OpenWithMissingFolder();
  Key(Qt::Key_Return);
  EXPECT_TRUE(messages_.empty());
  ASSERT_TRUE(Gone());
  EXPECT_EQ(ReadSettings(IniPath(), "").folder, dir_ / "missing");
}

TEST_F(DialogFolderTest, OpenFolderOpensAnExistingFolderOnly) {
  ASSERT_EQ(::mkdir((dir_ / "a b").c_str(), 0755), 0);
  Open();
  Folder()->setText(QString::fromStdString(dir_ / "a b"));
  Click("btnIllustFolderOpen");
  ASSERT_EQ(opened_.urls.size(), 1u);
  EXPECT_EQ(opened_.urls[0], QUrl::fromLocalFile(QString::fromStdString(dir_ / "a b")));
  EXPECT_TRUE(messages_.empty());

  // A missing folder reached without leaving the field through the check:
  // via the browse button, then the keyboard.
  Folder()->setFocus(Qt::TabFocusReason);
  Folder()->setText(QString::fromStdString(dir_ / "gone"));
  Get("btnIllustFolderSelect")->setFocus(Qt::TabFocusReason);
  Key(Qt::Key_Tab);
  ASSERT_EQ(FocusName(), QString::fromLatin1("btnIllustFolderOpen"));
  EXPECT_TRUE(messages_.empty());
  Key(Qt::Key_Space);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, kMissing);
  EXPECT_EQ(opened_.urls.size(), 1u);
  EXPECT_EQ(Folder()->text().toStdString(), dir_ / "a b");  // saved on entering the field
  EXPECT_EQ(FocusName(), QString::fromLatin1("btnIllustFolderOpen"));
}

TEST_F(DialogFolderTest, BrowserStartsOnTheFieldsFolderAndFillsTheField) {
  ASSERT_EQ(::mkdir((dir_ / "sub").c_str(), 0755), 0);
  Open();
  QString title, start;
  bool dirs_only = false;
  auto browser = WhenModal<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    start = d->directory().absolutePath();
    dirs_only = d->fileMode() == QFileDialog::Directory && d->testOption(QFileDialog::ShowDirsOnly);
    d->selectFile(QString::fromStdString(dir_ / "sub"));
    static_cast<QDialog*>(d)->accept();  // as the dialog's own button does
  });
  Click("btnIllustFolderSelect");
  ASSERT_TRUE(*browser);
  EXPECT_EQ(title, QString::fromUtf8("画像が保存されているフォルダを選択してください。"));
  EXPECT_EQ(start.toStdString(), dir_.path());
  EXPECT_TRUE(dirs_only);
  EXPECT_EQ(Folder()->text().toStdString(), dir_ / "sub");

  browser = WhenModal<QFileDialog>([&](QFileDialog* d) {
    start = d->directory().absolutePath();
    d->reject();
  });
  Click("btnIllustFolderSelect");
  ASSERT_TRUE(*browser);
  EXPECT_EQ(start.toStdString(), dir_ / "sub");
  EXPECT_EQ(Folder()->text().toStdString(), dir_ / "sub");  // cancelled: unchanged
  EXPECT_TRUE(messages_.empty());
  // The browser's recent folders stay in memory.
  EXPECT_TRUE(QDir(QString::fromStdString(UserConfigFolder())).isEmpty());
}

}  // namespace
}  // namespace orv::test
