#include "config/dialog_fixture.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QTest>
#include <sys/stat.h>

#include "platform/paths.h"

namespace orv::test {

namespace {
std::string g_user_config;
}

void SetUserConfigFolder(const std::string& folder) { g_user_config = folder; }
const std::string& UserConfigFolder() { return g_user_config; }

void DialogTest::SetUp() {
  SetProgramPathForTesting(dir_ / "orvanne");
  SetMessageBoxHook([this](const MessageBoxRequest& request) {
    messages_.push_back(request);
    if (during_message_) during_message_(request);
  });
  for (const char* scheme : {"file", "https", "http"})
    QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &opened_, "Open");
}

void DialogTest::TearDown() {
  delete form_.data();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (const char* scheme : {"file", "https", "http"}) QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
  SetMessageBoxHook(nullptr);
  SetProgramPathForTesting("");
}

bool DialogTest::IniExists() const {
  struct stat st;
  return ::stat(IniPath().c_str(), &st) == 0;
}

TfrmConfig* DialogTest::Open() {
  form_ = new TfrmConfig;
  form_->setAttribute(Qt::WA_DeleteOnClose);
  QWidget* icon = form_->findChild<QWidget*>(QStringLiteral("imgProgramIcon"));
  form_->SetAnimationWait([this, icon] { icon_steps_.push_back(icon->x()); });
  form_->show();
  form_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(form_));
  return form_;
}

bool DialogTest::Gone() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return form_.isNull();
}

QLineEdit* DialogTest::Folder() const { return Get<QLineEdit>("edtIllustFolder"); }

QString DialogTest::FocusName() const {
  QWidget* focus = QApplication::focusWidget();
  return focus ? focus->objectName() : QString();
}

void DialogTest::Click(const char* name, QPoint at) {
  QWidget* control = Get(name);
  if (!control) return;
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at.x() < 0 ? control->rect().center() : at);
}

void DialogTest::Key(int key) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, Qt::Key(key));
}

}  // namespace orv::test
