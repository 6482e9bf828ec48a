#include "window/FitCaption.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

#include "window/Captions.h"

namespace {

// Set on a control the first time its caption is fitted: the font it had,
// and whether that font was its own or the one its parent hands down.
constexpr const char* kOwnFont = "fitCaptionOwnFont";
constexpr const char* kOwnFontExplicit = "fitCaptionOwnFontExplicit";

QFont OwnFont(QWidget* control) {
  const QVariant stored = control->property(kOwnFont);
  if (stored.isValid()) return stored.value<QFont>();
  control->setProperty(kOwnFont, control->font());
  control->setProperty(kOwnFontExplicit, control->testAttribute(Qt::WA_SetFont));
  return control->font();
}

void RestoreOwnFont(QWidget* control) {
  const QVariant stored = control->property(kOwnFont);
  if (!stored.isValid()) return;
  // An empty font hands the control back to its parent's font.
  control->setFont(control->property(kOwnFontExplicit).toBool() ? stored.value<QFont>() : QFont());
}

int TextWidth(const QFont& font, const QString& caption) {
  constexpr int kUnbounded = 1 << 20;
  return QFontMetrics(font).boundingRect(QRect(0, 0, kUnbounded, kUnbounded), Qt::TextShowMnemonic, caption).width();
}

// What the style draws beside the text, measured on a caption far wider than
// any minimum width the style imposes.
int ButtonDecoration(const QWidget* control, QStyle::ContentsType type) {
  constexpr int kWide = 1000;
  QStyleOptionButton option;
  option.initFrom(control);
  option.text = QStringLiteral("x");
  return control->style()->sizeFromContents(type, &option, QSize(kWide, option.fontMetrics.height()), control).width() -
         kWide;
}

int GroupBoxDecoration(const QGroupBox* group) {
  constexpr int kWide = 1000;
  QStyleOptionGroupBox option;
  option.initFrom(group);
  option.text = group->title();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  const int added =
      group->style()->sizeFromContents(QStyle::CT_GroupBox, &option, QSize(kWide, option.fontMetrics.height()), group)
          .width() -
      kWide;
  return added + option.fontMetrics.horizontalAdvance(u' ');
}

int Decoration(const QWidget* control) {
  if (qobject_cast<const QRadioButton*>(control)) return ButtonDecoration(control, QStyle::CT_RadioButton);
  if (qobject_cast<const QCheckBox*>(control)) return ButtonDecoration(control, QStyle::CT_CheckBox);
  if (qobject_cast<const QPushButton*>(control)) return ButtonDecoration(control, QStyle::CT_PushButton);
  if (const auto* group = qobject_cast<const QGroupBox*>(control)) return GroupBoxDecoration(group);
  if (const auto* label = qobject_cast<const QLabel*>(control))
    return control->width() - label->contentsRect().width() + 2 * label->margin();
  return 0;
}

}  // namespace

QFont NarrowFont(const QFont& font) {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    // Font databases may add the foundry: "Nimbus Sans Narrow [urw]".
    for (const char* name : {"Arial Narrow", "Liberation Sans Narrow", "Nimbus Sans Narrow", "DejaVu Sans Condensed"})
      for (const QString& family : installed)
        if (family.startsWith(QLatin1String(name), Qt::CaseInsensitive)) return family;
    return QString();
  }();
  QFont narrow(font);
  if (family.isEmpty()) narrow.setStretch(QFont::Condensed);
  else narrow.setFamily(family);
  return narrow;
}

int CaptionRoom(const QWidget* control) {
  if (control->maximumWidth() >= QWIDGETSIZE_MAX) return -1;
  return control->maximumWidth() - Decoration(control);
}

void FitCaption(QWidget* control, int width) {
  const QString caption = CaptionOf(control);
  const QFont own = OwnFont(control);
  if (TextWidth(own, caption) <= width) {
    RestoreOwnFont(control);
    return;
  }
  QFont narrow = NarrowFont(own);
  if (TextWidth(narrow, caption) > width) narrow.setBold(false);
  control->setFont(narrow);
  SetHint(control, ReadableCaption(caption));
}
