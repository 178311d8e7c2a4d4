// The configuration dialog without its face: the controls' layout as one
// table, their values bound to the settings, the enabling rules and the
// folder field's rules. A face (Qt widgets, Win32 windows) builds its
// controls from the table and asks the model what to do; it decides nothing
// itself.
#pragma once

#include <string>
#include <vector>

#include "config/settings.h"

namespace orv {

// The controls, named as in the form's design, in creation order.
enum class TCtl {
  frmConfig,
  GroupBox2, lblProductName, lblVersion, imgProgramIcon, Copyright, Label6, lblUrl, Label3, Label17,
  GroupBox3, edtIllustFolder, btnIllustFolderSelect, btnIllustFolderOpen,
  Label5, edtIllustChangeSec, updIllustChangeSec, Label2,
  GroupBox1, chkBackColorEnable, lblColor, btnBGColor,
  chkIllustExtend,
  GroupBox5, chkPutFilename, chkPutFullPath, chkPutExtention,
  RadioGroup, RadioGroupItem0, RadioGroupItem1,
  btnOK, btnCancel,
  grpOptions, chkAutoRotate, chkSubFolders, lblFadeTime, spnFadeTime,
};

enum class TControlKind {
  kGroup,           // a frame, with its caption on the top line when it has one
  kLabel,           // sized to its text
  kLink,            // a label that opens something; `extra` is its tool tip
  kImage,           // a picture stretched to the control
  kEdit,            // single line
  kReadOnlyEdit,
  kUpDown,          // steps the edit named by `partner`
  kCheckBox,
  kHeadingCheckBox, // a check box on its group's top line, covering it
  kSwatch,          // a colour panel
  kGlyphButton,     // a push button with a 16 x 16 glyph
  kButton,
  kDefaultButton,   // the one Enter presses
  kRadioGroup,      // its items are the kRadioItem rows after it
  kRadioItem,
  kSpin,            // tenths shown as seconds: `text` is the unit, `extra` the text for 0
};

enum class TGlyphId { kNone, kFolderSelect, kFolderOpen, kColorBars };

struct TControlRow {
  TCtl id;
  TCtl parent;
  TControlKind kind;
  const char* name;
  int left, top, width, height;  // width 0: sized to its text; radio items: laid out by their group
  int fontPx;                    // 0: the form's
  const char* text;              // as written here; the face translates it (context "orv::TfrmConfig")
  bool tabStop;                  // tab visits the stops in the table's order
  const char* extra = nullptr;
  TGlyphId glyph = TGlyphId::kNone;
  TCtl partner = TCtl::frmConfig;         // the up-down's edit, the label's control
  bool TSettings::*enabledBy = nullptr;  // greyed out while this setting is off
};

constexpr int kFormFontPx = 12;
constexpr int kFormClientWidth = 444;
int FormClientHeight();

const std::vector<TControlRow>& ControlTable();
const TControlRow& ControlRow(TCtl id);

// Closing: the program icon slides right out of its group, a step further
// each time. Its left edge at each step, the last one past the group's edge.
std::vector<int> IconSlideSteps();

// The values of the dialog's controls, the settings they come from and go to.
class TConfigModel {
 public:
  // What the controls can show of stored values: the interval and the draw
  // mode brought within their controls' ranges.
  void Load(const TSettings& stored);
  // The same, from the settings file (its defaults where it has none).
  void LoadStored();
  // OK: the values go to the settings file. A failed write throws; the face
  // reports it and the dialog stays open.
  void Save(ISettingsFileWriter* writer = nullptr) const;
  // The line under the product name.
  static std::string VersionCaption(const std::string& file_version);
  TSettings& Values() { return values_; }
  const TSettings& Values() const { return values_; }

  // Whether a control is enabled (greyed-out boxes keep their state, and it is saved).
  bool Enabled(TCtl id) const;

  // The folder field: its text is saved when the focus enters it; leaving it
  // for another control (the browse and Cancel buttons excepted) with a
  // folder that does not exist is refused: the face reports it, then puts
  // the saved text back and the focus into the field.
  void FolderEntered() { saved_folder_ = values_.folder; }
  bool FolderRefused(TCtl next) const;
  void RestoreFolder() { values_.folder = saved_folder_; }
  // The focus moved to a control (frmConfig: one the table does not name).
  // Entering the folder field saves its text; leaving it when FolderRefused
  // gives true: the face reports it (its message may move the focus again:
  // such moves are only followed), restores the text, puts the focus back
  // into the field and calls FolderRefusalDone.
  bool FocusMoved(TCtl now);
  // The mouse press that moved the focus is still on its way to its control:
  // from here until the face's event loop next turns (PendingClickPassed),
  // clicks on the dialog do nothing. True when the face must start that.
  bool FolderRefusalDone();
  bool SwallowsClicks() const { return swallowing_; }
  void PendingClickPassed() { swallowing_ = false; }
  TCtl FocusedControl() const { return focused_; }
  const std::string& SavedFolder() const { return saved_folder_; }
  // The folder the open button opens; empty when it does not exist (the face
  // reports it and restores the saved text).
  std::string FolderToOpen() const;
  // A file, folder or shortcut dropped on the dialog selects a folder.
  void Dropped(const std::string& path);
  // The chooser's colour; only 24 bits are kept.
  void ColorChosen(TColor color) { values_.bgColor = color & 0xFFFFFF; }

 private:
  TSettings values_;
  std::string saved_folder_;
  TCtl focused_ = TCtl::frmConfig;
  bool refusing_ = false;  // a refusal is being reported
  bool swallowing_ = false;
};

}  // namespace orv
