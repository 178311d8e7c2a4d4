#include "platform/gui/application.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "platform/exceptions.h"
#include "platform/gui/gui_canvas.h"
#include "platform/gui/language.h"
#include "platform/gui/main_thread_qt.h"
#include "platform/gui/qt_window.h"
#include "platform/screen_info.h"

namespace orv {

namespace {

std::function<void(const MessageBoxRequest&)> g_hook;

// Exceptions must not cross Qt's event loop: every event handler's uncaught
// error ends here and goes to the general error handler.
class TQtApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      TApplication::Instance().ShowException(TranslatedMessage(e));
    } catch (...) {
      TApplication::Instance().ShowException(Tr("Orvanne", "不明なエラー"));
    }
    return false;
  }
};

}  // namespace

void SetMessageBoxHook(std::function<void(const MessageBoxRequest&)> hook) { g_hook = std::move(hook); }

void ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption, MsgIcon icon) {
  if (g_hook) {
    g_hook({owner, text, caption, icon});
    return;
  }
  QMessageBox box(Widget(owner));
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  box.setIcon(icon == MsgIcon::kInformation   ? QMessageBox::Information
              : icon == MsgIcon::kExclamation ? QMessageBox::Warning
              : icon == MsgIcon::kError       ? QMessageBox::Critical
                                              : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.exec();
}

TApplication& TApplication::Instance() {
  static TApplication app;
  return app;
}

bool TApplication::Initialized() const { return QApplication::instance() != nullptr; }

void TApplication::Initialize(int& argc, char** argv) {
  if (!QApplication::instance()) new TQtApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QFont::insertSubstitution(QString::fromUtf8(kDefaultFontName), "IPAPGothic");
  QApplication::setFont(QFont(QString::fromUtf8(kDefaultFontName), 9));
  InstallTranslations(UiLanguageOfEnvironment());
  InstallQtMainThread();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    int depth = screen->depth();
    if (depth > 0) SetScreenBitsPerPixel(depth);
  }
}

void TApplication::Finalize() {
  if (QApplication* app = qApp) {
    QList<QPointer<QWidget>> forms;
    for (QWidget* w : QApplication::topLevelWidgets()) forms.append(w);
    for (auto& w : forms) delete w.data();  // deleting one may delete others it owns
    delete app;
  }
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  QApplication::setApplicationName(QString::fromStdString(title));
}

std::string ExceptionMessageText(const std::string& message) {
  // As the framework does: a "." after anything that does not end in "." or below.
  std::string text = message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += ".";
  return text;
}

void TApplication::ShowException(const std::string& message) {
  ShowMessageBox(main_form_, ExceptionMessageText(message), title_, MsgIcon::kError);
}

int TApplication::Run() { return QApplication::exec(); }

void TApplication::Terminate() { QApplication::exit(0); }

void TApplication::SetMainForm(TWindowHandle form) { main_form_ = form; }

}  // namespace orv
