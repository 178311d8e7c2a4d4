// The dialog's model without any face: its layout table, its values, the
// enabling rules and the folder field's rules.
#include "config/config_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/test_support.h"

namespace orv {
namespace {

bool Inside(const TControlRow& a, const TControlRow& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

TEST(ConfigLayoutTable, EveryControlOnceInsideItsParentWithoutOverlaps) {
  const auto& table = ControlTable();
  std::set<std::string> names;
  for (size_t i = 0; i < table.size(); ++i) {
    const TControlRow& row = table[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(&ControlRow(row.id), &row);
    EXPECT_TRUE(names.insert(row.name).second);
    // A parent is the form or a control made before.
    EXPECT_LT(size_t(row.parent), size_t(row.id));
    if (row.width == 0 || row.kind == TControlKind::kRadioItem) continue;
    const int parent_width = row.parent == TCtl::frmConfig ? kFormClientWidth : ControlRow(row.parent).width;
    const int parent_height = row.parent == TCtl::frmConfig ? FormClientHeight() : ControlRow(row.parent).height;
    EXPECT_GE(row.left, 0);
    EXPECT_LE(row.left + row.width, parent_width);
    EXPECT_LE(row.top + row.height, parent_height);
    for (size_t j = i + 1; j < table.size(); ++j) {
      const TControlRow& other = table[j];
      if (other.parent != row.parent || !other.width || other.kind == TControlKind::kRadioItem) continue;
      EXPECT_FALSE(Inside(row, other)) << other.name;
    }
  }
  // The buttons that end the dialog sit at the bottom, below everything else.
  const TControlRow& ok = ControlRow(TCtl::btnOK);
  for (const TControlRow& row : table) {
    if (row.parent != TCtl::frmConfig || row.id == TCtl::btnOK || row.id == TCtl::btnCancel) continue;
    EXPECT_LT(row.top + row.height, ok.top) << row.name;
  }
  EXPECT_EQ(ControlRow(TCtl::btnCancel).top, ok.top);
  EXPECT_EQ(FormClientHeight(), ok.top + ok.height + 13);
}

TEST(ConfigLayoutTable, ClosingSlidesTheIconOutOfItsGroupFasterAtEachStep) {
  // Each face animates these steps: each one a pixel longer than the one
  // before, until the icon's left edge lies past its group's right edge.
  const TControlRow& icon = ControlRow(TCtl::imgProgramIcon);
  const int group_width = ControlRow(icon.parent).width;
  const std::vector<int> steps = IconSlideSteps();
  ASSERT_GE(steps.size(), 2u);
  for (size_t i = 0; i < steps.size(); ++i)
    EXPECT_EQ(steps[i] - (i ? steps[i - 1] : icon.left), int(i) + 1) << i;
  EXPECT_LE(steps[steps.size() - 2], group_width);
  EXPECT_GT(steps.back(), group_width);
}

TEST(ConfigLayoutTable, EverySettingWithADialogControlNamesOneOfTheTable) {
  for (const TSettingRow& setting : SettingsTable()) {
    if (!setting.dialogControl) continue;
    int found = 0;
    for (const TControlRow& row : ControlTable()) found += row.name == std::string(setting.dialogControl);
    EXPECT_EQ(found, 1) << setting.dialogControl;
  }
}

TEST(ConfigModel, StoredValuesAreBroughtWithinTheControlsRanges) {
  const struct {
    int32_t changeSec, drawMode;
    int want_sec, want_mode;
  } cases[] = {{10, 0, 10, 0},   {0, 1, 1, 1},   {61, -1, 60, -1},         {-5, 5, 1, 1},
               {65537, -9, 1, -1}, {65536 + 30, 2, 30, 1}, {INT32_MIN, INT32_MAX, 1, 1}};
  for (const auto& c : cases) {
    TSettings stored;
    stored.changeSec = c.changeSec;
    stored.drawMode = c.drawMode;
    stored.folder = "/pics";
    TConfigModel model;
    model.Load(stored);
    EXPECT_EQ(model.Values().changeSec, c.want_sec) << c.changeSec;
    EXPECT_EQ(model.Values().drawMode, c.want_mode) << c.drawMode;
    EXPECT_EQ(model.Values().folder, "/pics");
  }
}

TEST(ConfigModel, ColourButtonAndCaptionBoxesFollowTheirSwitches) {
  TConfigModel model;
  for (bool fill : {false, true})
    for (bool caption : {false, true}) {
      model.Values().bgColorEnable = fill;
      model.Values().putFilename = caption;
      EXPECT_EQ(model.Enabled(TCtl::btnBGColor), fill);
      EXPECT_EQ(model.Enabled(TCtl::chkPutFullPath), caption);
      EXPECT_EQ(model.Enabled(TCtl::chkPutExtention), caption);
      for (TCtl always : {TCtl::chkBackColorEnable, TCtl::chkPutFilename, TCtl::lblColor, TCtl::edtIllustFolder,
                          TCtl::btnOK, TCtl::spnFadeTime})
        EXPECT_TRUE(model.Enabled(always));
    }
  model.ColorChosen(0x7F123456);  // only the colour's 24 bits are kept
  EXPECT_EQ(model.Values().bgColor, 0x123456);
}

TEST(ConfigModel, FolderFieldRefusesAMissingFolderAndGivesTheSavedTextBack) {
  test::TempDir dir;
  const std::string pics = dir / "pics";
  std::filesystem::create_directory(pics);
  test::WriteFile(pics + "/a.jpg", "x");
  TConfigModel model;
  model.Values().folder = pics;
  model.FolderEntered();
  EXPECT_FALSE(model.FolderRefused(TCtl::btnOK));
  EXPECT_EQ(model.FolderToOpen(), pics);

  model.Values().folder = dir / "missing";
  for (TCtl next : {TCtl::btnOK, TCtl::btnIllustFolderOpen, TCtl::chkIllustExtend, TCtl::RadioGroupItem1})
    EXPECT_TRUE(model.FolderRefused(next)) << int(next);
  for (TCtl next : {TCtl::btnIllustFolderSelect, TCtl::btnCancel}) EXPECT_FALSE(model.FolderRefused(next));
  EXPECT_EQ(model.FolderToOpen(), "");
  model.RestoreFolder();
  EXPECT_EQ(model.Values().folder, pics);

  // A dropped file selects its folder; a dropped folder itself.
  model.Values().folder.clear();
  model.Dropped(pics + "/a.jpg");
  EXPECT_EQ(model.Values().folder, pics);
  model.Dropped(dir.path());
  EXPECT_EQ(model.Values().folder, dir.path());
  EXPECT_EQ(model.SavedFolder(), pics);
}

// Focus moves as a face reports them: entering the field saves its text;
// leaving it with a missing folder is refused once, moves during the report
// are only followed, and afterwards the field has the focus again.
TEST(ConfigModel, FocusMovesSaveAndCheckTheFolderField) {
  test::TempDir dir;
  const std::string pics = dir / "pics";
  std::filesystem::create_directory(pics);
  TConfigModel model;
  model.Values().folder = pics;
  EXPECT_FALSE(model.FocusMoved(TCtl::edtIllustFolder));
  EXPECT_EQ(model.SavedFolder(), pics);
  EXPECT_FALSE(model.FocusMoved(TCtl::edtIllustFolder));  // no move: nothing happens
  model.Values().folder = dir / "missing";
  EXPECT_FALSE(model.FocusMoved(TCtl::btnIllustFolderSelect));  // browsing needs no folder
  EXPECT_FALSE(model.FocusMoved(TCtl::edtIllustFolder));
  EXPECT_EQ(model.SavedFolder(), dir / "missing");  // entered again: saved again

  model.Values().folder = dir / "gone";
  EXPECT_TRUE(model.FocusMoved(TCtl::btnOK));
  EXPECT_FALSE(model.FocusMoved(TCtl::frmConfig));  // the report's own window
  EXPECT_FALSE(model.FocusMoved(TCtl::edtIllustFolder));  // the face puts it back: no new save
  EXPECT_EQ(model.SavedFolder(), dir / "missing");
  model.RestoreFolder();
  EXPECT_FALSE(model.SwallowsClicks());  // not while the report is up
  EXPECT_TRUE(model.FolderRefusalDone());
  EXPECT_TRUE(model.SwallowsClicks());  // the press that moved the focus does nothing
  EXPECT_EQ(model.FocusedControl(), TCtl::edtIllustFolder);
  EXPECT_EQ(model.Values().folder, dir / "missing");
  // Still missing: the next move out is refused again, the swallowing
  // already under way goes on.
  EXPECT_TRUE(model.FocusMoved(TCtl::chkIllustExtend));
  EXPECT_FALSE(model.FolderRefusalDone());
  model.PendingClickPassed();
  EXPECT_FALSE(model.SwallowsClicks());
  model.Values().folder = pics;
  EXPECT_FALSE(model.FocusMoved(TCtl::btnOK));
  EXPECT_EQ(model.FocusedControl(), TCtl::btnOK);
}

}  // namespace
}  // namespace orv
