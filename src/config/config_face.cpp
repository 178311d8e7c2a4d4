#include "config/config_face.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "config/config_widgets.h"
#include "config/glyphs.h"
#include "platform/gui/gui_canvas.h"

namespace orv {

namespace {

QFont FontOfHeight(int pixels) {
  QFont font(QString::fromUtf8(kDefaultFontName));
  font.setPixelSize(pixels);
  return font;
}

QWidget* MakeControl(const TControlRow& row, QWidget* parent, const std::vector<QWidget*>& made) {
  const QString text = TranslatedText(row.text);
  switch (row.kind) {
    case TControlKind::kGroup:
      return new TGroupFrame(text, parent);
    case TControlKind::kLabel: {
      auto* label = new QLabel(text, parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case TControlKind::kLink:
      return new TLinkLabel(text, TranslatedText(row.extra), parent);
    case TControlKind::kImage:
      return new TStretchedImage(parent);
    case TControlKind::kEdit:
    case TControlKind::kReadOnlyEdit: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(row.kind == TControlKind::kReadOnlyEdit);
      edit->setAcceptDrops(false);  // drops go to the form
      return edit;
    }
    case TControlKind::kUpDown: {
      const TSettingRow* bound = nullptr;
      for (const TSettingRow& s : SettingsTable())
        if (s.dialogControl && row.name == std::string(s.dialogControl)) bound = &s;
      auto* updown = new TUpDown(bound ? bound->low : 0, bound ? bound->high : 100, parent);
      updown->Associate(static_cast<QLineEdit*>(made[size_t(row.partner)]));
      updown->SetPosition(TSettings().changeSec);
      return updown;
    }
    case TControlKind::kCheckBox:
    case TControlKind::kHeadingCheckBox: {
      auto* box = new QCheckBox(text, parent);
      box->setAutoFillBackground(row.kind == TControlKind::kHeadingCheckBox);  // covers the frame's line
      return box;
    }
    case TControlKind::kSwatch:
      return new TColorSwatch(parent);
    case TControlKind::kGlyphButton:
    case TControlKind::kButton:
    case TControlKind::kDefaultButton: {
      auto* button = new QPushButton(text, parent);
      button->setDefault(row.kind == TControlKind::kDefaultButton);
      if (row.glyph != TGlyphId::kNone) {
        const TGlyph glyph = row.glyph == TGlyphId::kFolderSelect ? TGlyph::kFolderSelect
                             : row.glyph == TGlyphId::kFolderOpen ? TGlyph::kFolderOpen
                                                                  : TGlyph::kColorBars;
        button->setIcon(QIcon(QPixmap::fromImage(GlyphImage(glyph))));
        button->setIconSize(QSize(16, 16));
      }
      return button;
    }
    case TControlKind::kRadioGroup: {
      QStringList items;
      for (const TControlRow& item : ControlTable())
        if (item.kind == TControlKind::kRadioItem && item.parent == row.id) items << TranslatedText(item.text);
      auto* group = new TRadioGroup(text, items, parent);
      group->SetItemIndex(0);
      return group;
    }
    case TControlKind::kRadioItem:
      return static_cast<TRadioGroup*>(parent)->Item(row.id == TCtl::RadioGroupItem0 ? 0 : 1);
    case TControlKind::kSpin: {
      auto* spin = new QDoubleSpinBox(parent);
      spin->setDecimals(1);
      spin->setRange(0, kFadeTimeMax / 10.0);
      spin->setSingleStep(0.1);
      spin->setSuffix(text);
      spin->setSpecialValueText(TranslatedText(row.extra));
      spin->setAcceptDrops(false);
      return spin;
    }
  }
  return nullptr;
}

template <class F>
void ForEachBound(const std::vector<QWidget*>& controls, F f) {
  for (const TSettingRow& s : SettingsTable()) {
    if (!s.dialogControl) continue;
    for (const TControlRow& row : ControlTable())
      if (row.name == std::string(s.dialogControl)) f(s, controls[size_t(row.id)]);
  }
}

}  // namespace

QString TranslatedText(const char* text) {
  return text ? QCoreApplication::translate("orv::TfrmConfig", text) : QString();
}

std::vector<QWidget*> BuildControls(QWidget* form) {
  form->setObjectName(QStringLiteral("frmConfig"));
  form->setFont(FontOfHeight(kFormFontPx));  // before the labels take their sizes
  std::vector<QWidget*> made(ControlTable().size() + 1, nullptr);
  made[size_t(TCtl::frmConfig)] = form;
  QWidget* last_stop = nullptr;
  for (const TControlRow& row : ControlTable()) {
    QWidget* control = MakeControl(row, made[size_t(row.parent)], made);
    made[size_t(row.id)] = control;
    if (row.kind != TControlKind::kRadioItem) {
      control->setObjectName(QString::fromLatin1(row.name));
      if (row.fontPx) control->setFont(FontOfHeight(row.fontPx));
      if (row.width) {
        control->setGeometry(row.left, row.top, row.width, row.height);
      } else {
        control->move(row.left, row.top);
        control->adjustSize();  // as labels with automatic size are
      }
    }
    if (row.tabStop) {
      if (last_stop) QWidget::setTabOrder(last_stop, control);
      last_stop = control;
    }
  }
  for (const TControlRow& row : ControlTable())
    if (row.kind == TControlKind::kLabel && row.partner != TCtl::frmConfig)
      static_cast<QLabel*>(made[size_t(row.id)])->setBuddy(made[size_t(row.partner)]);
  form->setFixedSize(kFormClientWidth, FormClientHeight());
  return made;
}

TCtl IdOf(const std::vector<QWidget*>& controls, const QWidget* control) {
  for (size_t i = 0; i < controls.size(); ++i)
    if (controls[i] == control) return TCtl(i);
  return TCtl::frmConfig;
}

void ShowValues(const std::vector<QWidget*>& controls, const TSettings& values) {
  ForEachBound(controls, [&](const TSettingRow& s, QWidget* w) {
    std::visit(
        [&](auto member) {
          const auto& v = values.*member;
          using T = std::remove_cvref_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::string>) {
            static_cast<QLineEdit*>(w)->setText(QString::fromUtf8(v.data(), qsizetype(v.size())));
          } else if constexpr (std::is_same_v<T, bool>) {
            static_cast<QCheckBox*>(w)->setChecked(v);
          } else if (auto* updown = qobject_cast<TUpDown*>(w)) {
            updown->SetPosition(v);
          } else if (auto* radio = qobject_cast<TRadioGroup*>(w)) {
            radio->SetItemIndex(v);
          } else if (auto* swatch = qobject_cast<TColorSwatch*>(w)) {
            swatch->SetColor(v);
          } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
            spin->setValue(v / 10.0);
          }
          (void)s;
        },
        s.member);
  });
}

void TakeValues(const std::vector<QWidget*>& controls, TSettings& values) {
  ForEachBound(controls, [&](const TSettingRow& s, QWidget* w) {
    std::visit(
        [&](auto member) {
          auto& v = values.*member;
          using T = std::remove_cvref_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::string>) {
            v = static_cast<QLineEdit*>(w)->text().toStdString();
          } else if constexpr (std::is_same_v<T, bool>) {
            v = static_cast<QCheckBox*>(w)->isChecked();
          } else if (auto* updown = qobject_cast<TUpDown*>(w)) {
            v = updown->Position();
          } else if (auto* radio = qobject_cast<TRadioGroup*>(w)) {
            v = radio->ItemIndex();
          } else if (auto* swatch = qobject_cast<TColorSwatch*>(w)) {
            v = swatch->Color();
          } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
            v = int32_t(std::lround(spin->value() * 10));
          }
        },
        s.member);
  });
}

void WatchValues(const std::vector<QWidget*>& controls, QObject* receiver, const std::function<void()>& changed) {
  ForEachBound(controls, [&](const TSettingRow&, QWidget* w) {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) QObject::connect(edit, &QLineEdit::textChanged, receiver, changed);
    if (auto* box = qobject_cast<QCheckBox*>(w)) QObject::connect(box, &QCheckBox::toggled, receiver, changed);
    if (auto* updown = qobject_cast<TUpDown*>(w)) QObject::connect(updown, &TUpDown::changed, receiver, changed);
    if (auto* radio = qobject_cast<TRadioGroup*>(w))
      for (int i = 0; i < radio->Count(); ++i) QObject::connect(radio->Item(i), &QRadioButton::toggled, receiver, changed);
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(w))
      QObject::connect(spin, &QDoubleSpinBox::valueChanged, receiver, changed);
  });
}

}  // namespace orv
