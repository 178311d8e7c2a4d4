// Files, folders and shortcuts dropped onto the dialog.
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "config/dialog_fixture.h"
#include "platform/paths.h"

namespace orv::test {
namespace {

QUrl FileUrl(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

void WriteShortcut(const std::string& link, const std::string& target) {
  std::string windows = "Z:" + target;
  for (char& c : windows)
    if (c == '/') c = '\\';
  ShellLinkSpec spec;
  spec.local_base_path = windows;
  WriteFile(link, BuildShellLink(spec));
}

class DialogDropTest : public DialogTest {
 public:
  void SetUp() override {
    DialogTest::SetUp();
    for (const char* folder : {"one", "two", "with space"}) ::mkdir((dir_ / folder).c_str(), 0755);
    WriteFile(dir_ / "one/pic.jpg", "x");
  }
  // Delivers a drop at a point of the form; true when the drag was accepted.
  bool Drop(const QList<QUrl>& urls, QPointF at = QPointF(200, 300)) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form_, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form_, &drop);
    return enter.isAccepted();
  }
  std::string Field() { return Folder()->text().toStdString(); }
};

TEST_F(DialogDropTest, DroppedItemSelectsItsFolder) {
  WriteShortcut(dir_ / "to two.lnk", dir_ / "two");
  WriteShortcut(dir_ / "to pic.LNK", dir_ / "one/pic.jpg");
  WriteShortcut(dir_ / "nowhere.lnk", dir_ / "gone/pic.jpg");
  ::symlink((dir_ / "gone").c_str(), (dir_ / "dangling").c_str());
  const std::string long_path = dir_ / (std::string(3990, 'd') + "/pic.jpg");
  const struct {
    std::string dropped;
    std::string field;
  } cases[] = {
      {dir_ / "two", dir_ / "two"},
      {dir_ / "one/pic.jpg", dir_ / "one"},
      {dir_ / "with space", dir_ / "with space"},
      {dir_ / "to two.lnk", dir_ / "two"},
      {dir_ / "to pic.LNK", dir_ / "one"},
      {dir_ / "nowhere.lnk", ""},
      {dir_ / "dangling", dir_.path()},
      {long_path, long_path.substr(0, long_path.size() - 8)},
  };
  Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dropped.substr(0, 200));
    Get("btnOK")->setFocus();  // leaves the field: it holds a real folder
    messages_.clear();
    EXPECT_TRUE(Drop({FileUrl(c.dropped)}));
    EXPECT_EQ(Field(), c.field);
    EXPECT_EQ(FocusName(), QString::fromLatin1("edtIllustFolder"));
    EXPECT_EQ(Folder()->selectedText(), Folder()->text());
    EXPECT_EQ(form_->SavedFolder(), c.field);  // the focus entered the field
    EXPECT_TRUE(messages_.empty());
    Folder()->setText(QString::fromStdString(dir_.path()));
  }
}

TEST_F(DialogDropTest, OnlyTheFirstOfSeveralItemsCounts) {
  Open();
  EXPECT_TRUE(Drop({FileUrl(dir_ / "two"), FileUrl(dir_ / "one"), FileUrl(dir_ / "with space")}));
  EXPECT_EQ(Field(), dir_ / "two");
  // A first item that is not a local file is no drop of files at all.
  EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/x.jpg")), FileUrl(dir_ / "one")}));
  EXPECT_EQ(Field(), dir_ / "two");
}

TEST_F(DialogDropTest, TakesTheNameAsACopyOrLinkNeverAMove) {
  // The source sees the drop event's action: a Move would let it delete the file.
  const struct {
    Qt::DropActions offered;
    Qt::KeyboardModifiers keys;  // Shift proposes Move, Ctrl+Shift Link
    Qt::DropAction seen;
  } cases[] = {
      {Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::ShiftModifier, Qt::CopyAction},
      {Qt::MoveAction | Qt::LinkAction, Qt::ShiftModifier, Qt::LinkAction},
      {Qt::CopyAction | Qt::LinkAction, Qt::ControlModifier | Qt::ShiftModifier, Qt::CopyAction},
      {Qt::MoveAction, Qt::ShiftModifier, Qt::IgnoreAction},
  };
  Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.offered));
    Folder()->setText(QString());
    QMimeData data;
    data.setUrls({FileUrl(dir_ / "two")});
    QDragEnterEvent enter(QPoint(200, 300), c.offered, &data, Qt::LeftButton, c.keys);
    QCoreApplication::sendEvent(form_, &enter);
    QDropEvent drop(QPointF(200, 300), c.offered, &data, Qt::LeftButton, c.keys);
    QCoreApplication::sendEvent(form_, &drop);
    const bool taken = c.seen != Qt::IgnoreAction;
    EXPECT_EQ(enter.isAccepted(), taken);
    EXPECT_EQ(drop.isAccepted(), taken);
    if (taken) {
      EXPECT_EQ(drop.dropAction(), c.seen);
    }
    EXPECT_EQ(Field(), taken ? dir_ / "two" : "");
  }
}

TEST_F(DialogDropTest, DropOutsideTheClientAreaChangesNothing) {
  Open();
  const std::string before = Field();
  for (QPointF at : {QPointF(100, -12), QPointF(-3, 50), QPointF(444, 10), QPointF(10, 618)}) {
    Drop({FileUrl(dir_ / "two")}, at);
    EXPECT_EQ(Field(), before) << at.x() << "," << at.y();
  }
  Drop({FileUrl(dir_ / "two")}, QPointF(443, 617));  // the last pixel inside
  EXPECT_EQ(Field(), dir_ / "two");
}

TEST_F(DialogDropTest, UnresolvableShortcutEmptiesTheFieldAndLeavingItReports) {
  WriteFile(dir_ / "bad.lnk", "garbage");
  Open();
  Get("chkIllustExtend")->setFocus();
  Drop({FileUrl(dir_ / "bad.lnk")});
  EXPECT_EQ(Field(), "");
  EXPECT_EQ(FocusName(), QString::fromLatin1("edtIllustFolder"));
  Get("btnCancel")->setFocus(Qt::TabFocusReason);  // no question towards Cancel
  EXPECT_TRUE(messages_.empty());
  Folder()->setFocus();
  Get("btnOK")->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(Field(), "");  // the saved text was the empty one
}

TEST_F(DialogDropTest, NamesThatAreNotUtf8EndAsAFolderThatDoesNotExist) {
  const std::string odd = dir_ / "\xFF\xFE";
  ASSERT_EQ(::mkdir(odd.c_str(), 0755), 0);
  WriteFile(odd + "/pic.jpg", "x");
  WriteFile(dir_ / "one/\x80.jpg", "x");
  const QString odd_url = QString::fromStdString("file://" + dir_.path() + "/%FF%FE");
  Open();
  // The folder itself, and a picture in it.
  for (const QString& url : {odd_url, odd_url + QStringLiteral("/pic.jpg")}) {
    Drop({QUrl(url)});
    EXPECT_FALSE(Field().empty());
    EXPECT_FALSE(DirectoryExists(Field())) << Field();
    EXPECT_EQ(Folder()->text().left(int(dir_.path().size())).toStdString(), dir_.path());
  }
  // A picture with such a name in an ordinary folder selects that folder.
  Drop({QUrl(QString::fromStdString("file://" + dir_.path() + "/one/%80.jpg"))});
  EXPECT_EQ(Field(), dir_ / "one");
}

}  // namespace
}  // namespace orv::test
