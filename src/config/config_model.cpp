#include "config/config_model.h"

#include <algorithm>

#include "config/config_rules.h"
#include "platform/paths.h"
#include "platform/translatable.h"

namespace orv {

namespace {

using K = TControlKind;
using C = TCtl;

// The original form, the options added below it (one 24-pixel row each) and
// the buttons at the bottom.
const std::vector<TControlRow> kControls = {
    {C::GroupBox2, C::frmConfig, K::kGroup, "GroupBox2", 8, 8, 425, 169, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "情報"), false},
    {C::lblProductName, C::GroupBox2, K::kLabel, "lblProductName", 24, 24, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "アプリ名"), false},
    {C::lblVersion, C::GroupBox2, K::kLabel, "lblVersion", 24, 36, 0, 0, 0, nullptr, false},
    {C::imgProgramIcon, C::GroupBox2, K::kImage, "imgProgramIcon", 60, 72, 33, 33, 0, nullptr, false},
    {C::Copyright, C::GroupBox2, K::kLabel, "Copyright", 144, 72, 0, 0, 0, "Copyright (C) 2026 The Orvanne Developers",
     false},
    {C::Label6, C::GroupBox2, K::kLabel, "Label6", 144, 96, 0, 0, 0, "URL:", false},
    // There is no web page: the link names and opens the README instead.
    {C::lblUrl, C::GroupBox2, K::kLink, "lblUrl", 176, 96, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "説明書 (README.md)"), false,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "クリックだ!")},
    {C::Label3, C::GroupBox2, K::kLabel, "Label3", 32, 128, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "PNG デコーダ: Orvanne 独自の PNG コーデック (zlib を使用)"), false},
    {C::Label17, C::GroupBox2, K::kLabel, "Label17", 32, 144, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "GIF デコーダ: Orvanne 独自の GIF コーデック (LZW も自前)"), false},

    {C::GroupBox3, C::frmConfig, K::kGroup, "GroupBox3", 8, 192, 425, 81, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "画像が入っているフォルダ"), false},
    {C::edtIllustFolder, C::GroupBox3, K::kEdit, "edtIllustFolder", 16, 24, 393, 21, 13, nullptr, true},
    {C::btnIllustFolderSelect, C::GroupBox3, K::kGlyphButton, "btnIllustFolderSelect", 192, 48, 105, 25, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "フォルダを選択"), true, nullptr, TGlyphId::kFolderSelect},
    {C::btnIllustFolderOpen, C::GroupBox3, K::kGlyphButton, "btnIllustFolderOpen", 304, 48, 105, 25, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "フォルダを開く"), true, nullptr, TGlyphId::kFolderOpen},

    {C::Label5, C::frmConfig, K::kLabel, "Label5", 16, 300, 0, 0, 13,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "画像を切り替える間隔"), false},
    {C::edtIllustChangeSec, C::frmConfig, K::kReadOnlyEdit, "edtIllustChangeSec", 152, 296, 33, 21, 13, nullptr, true},
    {C::updIllustChangeSec, C::frmConfig, K::kUpDown, "updIllustChangeSec", 185, 296, 16, 21, 0, nullptr, false,
     nullptr, TGlyphId::kNone, C::edtIllustChangeSec},
    {C::Label2, C::frmConfig, K::kLabel, "Label2", 208, 300, 0, 0, 13, ORV_TRANSLATE_NOOP("orv::TfrmConfig", "秒"),
     false},

    {C::GroupBox1, C::frmConfig, K::kGroup, "GroupBox1", 8, 344, 209, 65, 0, nullptr, false},
    {C::chkBackColorEnable, C::GroupBox1, K::kHeadingCheckBox, "chkBackColorEnable", 8, 0, 113, 17, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "背景を塗りつぶす"), true},
    {C::lblColor, C::GroupBox1, K::kSwatch, "lblColor", 24, 22, 41, 25, 0, nullptr, false},
    {C::btnBGColor, C::GroupBox1, K::kGlyphButton, "btnBGColor", 80, 22, 105, 25, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "背景色の変更"), true, nullptr, TGlyphId::kColorBars, C::frmConfig,
     &TSettings::bgColorEnable},

    {C::chkIllustExtend, C::frmConfig, K::kCheckBox, "chkIllustExtend", 240, 288, 193, 17, 13,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "画面より小さな画像は拡大する"), true},

    {C::GroupBox5, C::frmConfig, K::kGroup, "GroupBox5", 232, 320, 193, 89, 0, nullptr, false},
    {C::chkPutFilename, C::GroupBox5, K::kHeadingCheckBox, "chkPutFilename", 8, 0, 137, 17, 13,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "ファイル名を表示する"), true},
    {C::chkPutFullPath, C::GroupBox5, K::kCheckBox, "chkPutFullPath", 24, 32, 145, 17, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "フルパス名を表示する"), true, nullptr, TGlyphId::kNone, C::frmConfig,
     &TSettings::putFilename},
    {C::chkPutExtention, C::GroupBox5, K::kCheckBox, "chkPutExtention", 24, 56, 137, 17, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "拡張子を表示する"), true, nullptr, TGlyphId::kNone, C::frmConfig,
     &TSettings::putFilename},

    {C::RadioGroup, C::frmConfig, K::kRadioGroup, "RadioGroup", 8, 424, 425, 65, 13,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "描画方式"), false},
    {C::RadioGroupItem0, C::RadioGroup, K::kRadioItem, "RadioGroupItem0", 0, 0, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "バッファ未使用"), true},
    {C::RadioGroupItem1, C::RadioGroup, K::kRadioItem, "RadioGroupItem1", 0, 0, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "バッファ使用（表示がちらつく場合に選択してください）"), true},

    // The buttons that end the dialog sit below everything; tab reaches them
    // before the options, as it did when they were the form's last row.
    {C::btnOK, C::frmConfig, K::kDefaultButton, "btnOK", 272, 611, 73, 25, 0, "O K", true},
    {C::btnCancel, C::frmConfig, K::kButton, "btnCancel", 360, 611, 73, 25, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "キャンセル"), true},

    {C::grpOptions, C::frmConfig, K::kGroup, "grpOptions", 8, 504, 425, 92, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "その他"), false},
    {C::chkAutoRotate, C::grpOptions, K::kCheckBox, "chkAutoRotate", 16, 20, 393, 17, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "写真の向き (EXIF) に合わせて回転する"), true},
    {C::chkSubFolders, C::grpOptions, K::kCheckBox, "chkSubFolders", 16, 44, 393, 17, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "サブフォルダも含める"), true},
    {C::lblFadeTime, C::grpOptions, K::kLabel, "lblFadeTime", 16, 70, 0, 0, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", "切り替えのフェード時間"), false, nullptr, TGlyphId::kNone, C::spnFadeTime},
    // 0: a hard cut.
    {C::spnFadeTime, C::grpOptions, K::kSpin, "spnFadeTime", 168, 66, 81, 21, 0,
     ORV_TRANSLATE_NOOP("orv::TfrmConfig", " 秒"), true, ORV_TRANSLATE_NOOP("orv::TfrmConfig", "なし")},
};

}  // namespace

int FormClientHeight() {
  int bottom = 0;
  for (const TControlRow& row : kControls)
    if (row.parent == TCtl::frmConfig) bottom = std::max(bottom, row.top + row.height);
  return bottom + 13;  // the margin below the buttons
}

const std::vector<TControlRow>& ControlTable() { return kControls; }

const TControlRow& ControlRow(TCtl id) {
  // The table lists every control once, in the order of the enumeration.
  return kControls[size_t(id) - 1];
}

std::vector<int> IconSlideSteps() {
  const TControlRow& icon = ControlRow(TCtl::imgProgramIcon);
  std::vector<int> lefts;
  for (int left = icon.left, step = 1; left <= ControlRow(icon.parent).width; ++step) lefts.push_back(left += step);
  return lefts;
}

void TConfigModel::Load(const TSettings& stored) {
  values_ = stored;
  values_.changeSec = ClampChangeSec(stored.changeSec);
  values_.drawMode = ClampDrawMode(stored.drawMode);
}

void TConfigModel::LoadStored() { Load(ReadSettings(SettingsFilePath(), DefaultFolder())); }

void TConfigModel::Save(ISettingsFileWriter* writer) const { WriteSettings(SettingsFilePath(), values_, writer); }

std::string TConfigModel::VersionCaption(const std::string& file_version) {
  return "Orvanne version " + file_version;
}

bool TConfigModel::Enabled(TCtl id) const {
  const auto on = ControlRow(id).enabledBy;
  return !on || values_.*on;
}

bool TConfigModel::FolderRefused(TCtl next) const {
  // Browsing and cancelling need no valid folder first.
  if (next == TCtl::btnIllustFolderSelect || next == TCtl::btnCancel) return false;
  return !DirectoryExists(values_.folder);
}

bool TConfigModel::FocusMoved(TCtl now) {
  if (now == focused_) return false;
  const TCtl previous = focused_;
  focused_ = now;
  if (refusing_) return false;
  if (previous == TCtl::edtIllustFolder && FolderRefused(now)) {
    refusing_ = true;
    return true;
  }
  if (now == TCtl::edtIllustFolder) FolderEntered();
  return false;
}

bool TConfigModel::FolderRefusalDone() {
  // An inactive window reports no focus change: the field has it now.
  focused_ = TCtl::edtIllustFolder;
  refusing_ = false;
  const bool start = !swallowing_;
  swallowing_ = true;
  return start;
}

std::string TConfigModel::FolderToOpen() const {
  return DirectoryExists(values_.folder) ? values_.folder : std::string();
}

void TConfigModel::Dropped(const std::string& path) { values_.folder = FolderForDroppedPath(path); }

}  // namespace orv
