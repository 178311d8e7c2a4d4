#include "app/run_hosted.h"

#include <QGuiApplication>
#include <cstdio>

#include "app/stop_signals.h"
#include "display/main_form.h"
#include "platform/gui/application.h"
#include "platform/gui/foreign_window.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/host_window.h"
#include "platform/gui/language.h"
#include "platform/gui/window_stack.h"
#include "platform/native.h"
#include "platform/termination_signals.h"
#include "platform/window_mark.h"

namespace orv {

namespace {

// Smaller than this, a window is a settings page's preview.
constexpr int kPreviewMaxWidth = 640;
constexpr int kPreviewMaxHeight = 480;
// A host starts the next copy while the last one is still going.
constexpr int kMarkWaitMs = 2000;

int Fail(const std::string& text) {
  std::fprintf(stderr, "orvanne: %s\n", text.c_str());
  return 1;
}

}  // namespace

int RunHosted(const THostCommand& command, int& argc, char** argv) {
  std::string id_text;
  const char* source;
  if (command.target == THostTarget::kWindowId) {
    id_text = command.windowId;
    source = "--window-id";
  } else {
    id_text = native::GetEnv("XSCREENSAVER_WINDOW");
    source = "XSCREENSAVER_WINDOW";
  }
  std::optional<unsigned long> id;
  if (command.target == THostTarget::kWindowId || !id_text.empty()) {
    id = ParseWindowId(id_text);
    if (!id)
      return Fail(std::string(source) + ": " + FillArg(Tr("Orvanne", "\"%1\" はウィンドウ ID ではありません"), id_text));
  }

  TApplication& app = TApplication::Instance();
  app.Initialize(argc, argv);
  app.SetTitle("Orvanne");
  if (QGuiApplication::platformName() != "xcb")
    return Fail(Tr("Orvanne", "ホストされたモードには X11 のディスプレイが必要です"));
  if (!id) id = RootWindowId();
  const std::optional<TSize> size = HostWindowSize(*id);
  if (!size || !ForeignWindowExists(*id))
    return Fail(std::string(source) + ": " + FillArg(Tr("Orvanne", "ウィンドウ %1 がありません"), id_text));

  WindowMark mark;
  if (!mark.Acquire(DisplayName(), *id, kMarkWaitMs)) return 0;  // that window has its copy

  const bool preview = size->Width < kPreviewMaxWidth || size->Height < kPreviewMaxHeight;
  THostWindowScreen host_screen(*id, *size);
  if (!preview) SetScreen(&host_screen);

  TDisplayServices services;
  services.adjustSettings = [&command](TSettings& s) { ApplyHostOptions(command, s); };
  services.splash = false;
  auto* form = new TfrmMain(nullptr, services);
  HideTaskbarButton(Win(form));
  form->isPreview = preview;
  form->isHosted = !preview;
  if (!EmbedInForeignWindow(Win(form), *id)) {
    delete form;
    return Fail(std::string(source) + ": " + FillArg(Tr("Orvanne", "ウィンドウ %1 に描画できません"), id_text));
  }
  WatchForeignWindow(
      *id, Win(form), [] { TApplication::Instance().Terminate(); }, [form](int w, int h) { form->resize(w, h); });
  form->setAttribute(Qt::WA_DeleteOnClose);
  app.SetMainForm(Win(form));
  form->ShowInHost();
  RunUntilStopped();
  app.SetMainForm(nullptr);
  app.Finalize();
  SetScreen(nullptr);
  return 0;
}

}  // namespace orv
