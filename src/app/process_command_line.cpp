#include "app/process_command_line.h"

#include <QApplication>

#include "app/command_line.h"
#include "app/stop_signals.h"
#include "config/config_form.h"
#include "display/main_form.h"
#include "display/monitor_forms.h"
#include "platform/gui/application.h"
#include "platform/gui/foreign_window.h"
#include "platform/gui/language.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/window_stack.h"

namespace orv {

namespace {
int RunMainForm(QWidget* form) {
  TApplication& app = TApplication::Instance();
  form->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(form, &QObject::destroyed, qApp, [] { TApplication::Instance().Terminate(); });
  app.SetMainForm(Win(form));
  int rc = RunUntilStopped();
  app.SetMainForm(nullptr);
  return rc;
}
}  // namespace

void ProcessCommandLine(const std::vector<std::string>& args) {
  switch (ParseRunMode(args.empty() ? std::string() : args[0])) {
    case TRunMode::kFullScreen: RunFullScreen(); break;
    case TRunMode::kPreview: RunPreview(args); break;
    case TRunMode::kConfig: RunConfig(); break;
    case TRunMode::kNone: break;
  }
}

void RunFullScreen() {
  auto* form = new TfrmMain;
  HideTaskbarButton(Win(form));
  form->isPreview = false;
  CoverOtherMonitors(*form);
  form->ShowFullScreen();
  RunMainForm(form);
}

void RunPreview(const std::vector<std::string>& args) {
  long long handle = PreviewHandle(args);
  if (handle == 0) {
    ShowMessageBox(nullptr, Tr("Orvanne", "ウィンドハンドルが指定されていません"), Tr("Orvanne", "スクリーンセーバー"),
                   MsgIcon::kExclamation);
    return;
  }
  // An id that names no window would leave an invisible process holding the
  // instance mark forever: end at once.
  unsigned long id = static_cast<unsigned long>(static_cast<uint32_t>(handle));
  if (!ForeignWindowExists(id)) return;
  auto* form = new TfrmMain;
  HideTaskbarButton(Win(form));
  form->isPreview = true;
  if (!EmbedInForeignWindow(Win(form), id)) {
    delete form;
    return;
  }
  WatchForeignWindow(
      id, Win(form), [] { TApplication::Instance().Terminate(); },
      [form](int w, int h) { SizeToForeignWindow(Win(form), w, h); });
  form->ShowInHost();
  RunMainForm(form);
}

void RunConfig() {
  auto* form = new TfrmConfig;
  form->show();
  RunMainForm(form);
}

}  // namespace orv
