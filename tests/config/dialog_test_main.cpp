// The dialog tests' entry: Qt's offscreen platform unless another is asked
// for, private runtime and configuration folders, and the application object
// (which must exist before any font).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <QtGlobal>

#include "platform/gui/application.h"
#include "config/dialog_fixture.h"

namespace {
// The offscreen platform says so for every raise() and size hint; that is
// noise here.
QtMessageHandler g_default_handler = nullptr;
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  if (g_default_handler) g_default_handler(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string base = std::filesystem::temp_directory_path().string() + "/orv_dialog_env_XXXXXX";
  if (!mkdtemp(base.data())) return 2;
  const std::string runtime = base + "/runtime";
  const std::string config = base + "/config";
  std::filesystem::create_directory(runtime);
  std::filesystem::create_directory(config);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  orv::test::SetUserConfigFolder(config);

  g_default_handler = qInstallMessageHandler(QuietOffscreen);
  orv::TApplication& app = orv::TApplication::Instance();
  app.Initialize(argc, argv);
  app.SetTitle("Orvanne");
  const int rc = RUN_ALL_TESTS();
  app.Finalize();
  std::error_code ec;
  std::filesystem::remove_all(base, ec);
  return rc;
}
