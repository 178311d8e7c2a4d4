#include "app/run_hosted.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>

#include "display/main_form.h"
#include "platform/gui/application.h"
#include "platform/gui/foreign_window.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/host_window.h"
#include "platform/gui/language.h"
#include "platform/gui/window_stack.h"
#include "platform/window_mark.h"

namespace orv {

namespace {

// Smaller than this, a window is a settings page's preview.
constexpr int kPreviewMaxWidth = 640;
constexpr int kPreviewMaxHeight = 480;
// A host starts the next copy while the last one is still going.
constexpr int kMarkWaitMs = 2000;

int g_signal_pipe[2] = {-1, -1};
volatile sig_atomic_t g_loop_running = 0;

void OnSignal(int) {
  // Before the message loop (the folder scan) there is nothing to tidy.
  if (!g_loop_running) ::_exit(0);
  const char byte = 1;
  ssize_t ignored = ::write(g_signal_pipe[1], &byte, 1);
  (void)ignored;
}

void InstallSignalHandlers() {
  if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "orvanne: %s\n", text.c_str());
  return 1;
}

}  // namespace

int RunHosted(const THostCommand& command, int& argc, char** argv) {
  InstallSignalHandlers();

  std::string id_text;
  const char* source;
  if (command.target == THostTarget::kWindowId) {
    id_text = command.windowId;
    source = "--window-id";
  } else {
    const char* env = std::getenv("XSCREENSAVER_WINDOW");
    if (env && *env) id_text = env;
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
  if (g_signal_pipe[0] >= 0) {
    auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, form);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { TApplication::Instance().Terminate(); });
  }
  form->setAttribute(Qt::WA_DeleteOnClose);
  app.SetMainForm(Win(form));
  form->ShowInHost();
  g_loop_running = 1;
  app.Run();
  g_loop_running = 0;
  app.SetMainForm(nullptr);
  app.Finalize();
  SetScreen(nullptr);
  return 0;
}

}  // namespace orv
