// A fixture that opens the configuration dialog on a settings file of its
// own and records what the dialog asks of the desktop: message boxes, opened
// addresses and the steps of the closing animation.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/config_form.h"
#include "platform/gui/application.h"
#include "support/test_support.h"

class QLineEdit;

namespace orv::test {

// The folder that Qt would keep its per-user state in during the tests.
void SetUserConfigFolder(const std::string& folder);
const std::string& UserConfigFolder();

class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

class DialogTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  std::string IniPath() const { return dir_ / "orvanne.ini"; }
  void WriteIni(const std::string& content) const { WriteFile(IniPath(), content); }
  bool IniExists() const;

  // Creates the dialog as the program does (deleted when closed), shows it
  // and waits until it is the active window.
  TfrmConfig* Open();
  // True once the dialog has closed and been freed.
  bool Gone();

  template <class T = QWidget>
  T* Get(const char* name) const {
    T* control = form_ ? form_->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QLineEdit* Folder() const;
  QString FocusName() const;
  void Click(const char* name, QPoint at = QPoint(-1, -1));
  void Key(int key);  // to the focused control

  // Runs action on the modal dialog of type T once it shows. The flag tells
  // whether it came up (it is given up after a while).
  template <class T>
  static std::shared_ptr<bool> WhenModal(std::function<void(T*)> action) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, ran, tries = 0]() mutable {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (dialog && dialog->isVisible()) {
        timer->deleteLater();
        timer->stop();
        *ran = true;
        action(dialog);
      } else if (++tries > 1000) {
        timer->stop();
        timer->deleteLater();
      }
    });
    timer->start(5);
    return ran;
  }

  TempDir dir_;
  QPointer<TfrmConfig> form_;
  std::vector<MessageBoxRequest> messages_;
  std::function<void(const MessageBoxRequest&)> during_message_;
  std::vector<int> icon_steps_;  // the icon's left edge at each pause
  UrlRecorder opened_;
};

}  // namespace orv::test
