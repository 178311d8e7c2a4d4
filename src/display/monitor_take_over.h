// Makes a full-screen form the one thing its monitor shows while the show runs.
#pragma once

class QWidget;

namespace orv {

// The form covers its monitor's whole area without a cursor, stays above
// every other window and, as the one form that holds the input, marks the
// screen saver running and takes every key and pointer event until released.
class TMonitorTakeOver {
 public:
  // input_target: the control that gets the pointer events.
  TMonitorTakeOver(QWidget* form, QWidget* input_target, int monitor);

  // Puts the form on its monitor's X screen, over the monitor's whole area.
  void Place();
  // As the show starts: the running mark, the whole area, the full-screen state.
  void Cover(bool holds_input);
  // Then: no cursor, and the form has the keyboard focus.
  void Capture();
  // At every tick while the mark is set: raised above others; the input
  // grabbed once it can be.
  void KeepInCharge(bool holds_input);
  // At the end: the grab and the running mark released.
  void Release(bool holds_input);

 private:
  void CoverArea();

  QWidget* form_;
  QWidget* input_target_;
  int monitor_;
  bool inputGrabbed_ = false;
};

}  // namespace orv
