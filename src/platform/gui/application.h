// The application object: title, start-up of Qt, the general error handler
// and message boxes.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/window_handle.h"

namespace orv {

// Message box icons and buttons as the forms use them.
enum class MsgIcon { kNone, kInformation, kExclamation, kError };

struct MessageBoxRequest {
  TWindowHandle owner;
  std::string text;
  std::string caption;
  MsgIcon icon;
};

// Shows a modal message box with an OK button. Tests may install a hook that
// answers instead of a real box.
void ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption, MsgIcon icon);
void SetMessageBoxHook(std::function<void(const MessageBoxRequest&)> hook);

class TApplication {
 public:
  static TApplication& Instance();

  // Creates the QApplication (once) and installs what every mode needs: the
  // font substitution for the Japanese face, the texts of the locale's
  // language (ours and Qt's own), the GUI-thread queue for worker threads,
  // and the screen depth.
  void Initialize(int& argc, char** argv);
  bool Initialized() const;
  // Frees the forms and the QApplication before the process ends.
  void Finalize();

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);

  // The general error handler: the message in a box with an error icon, the
  // title as caption and a "." appended.
  void ShowException(const std::string& message);
  // Runs the message loop until Terminate or the main form closes.
  int Run();
  void Terminate();

  // The form whose closing ends the message loop.
  void SetMainForm(TWindowHandle form);
  TWindowHandle MainForm() const { return main_form_; }

 private:
  std::string title_;
  TWindowHandle main_form_ = nullptr;
};

// The message the error handler shows for an exception's text.
std::string ExceptionMessageText(const std::string& message);

}  // namespace orv
