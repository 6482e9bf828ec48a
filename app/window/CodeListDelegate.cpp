#include "window/CodeListDelegate.h"

#include <QColor>
#include <QListWidget>

#include "core/CodePageList.h"

namespace {

TColor ToTColor(const QColor& c) {
  return (static_cast<TColor>(c.red()) << 16) | (static_cast<TColor>(c.green()) << 8) | static_cast<TColor>(c.blue());
}

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

TCodeListDelegate::TCodeListDelegate(const TCodePages& codePages, QObject* parent)
    : QStyledItemDelegate(parent), codePages_(codePages) {}

void TCodeListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  const int b = index.row();
  if (!codePages_.ShowsChanged(b)) return;
  const bool enabled = option->state.testFlag(QStyle::State_Enabled);
  const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
  const TColor text = codePages_.ItemColor(b, false, enabled, ToTColor(option->palette.color(group, QPalette::Text)));
  const TColor highlighted =
      codePages_.ItemColor(b, true, enabled, ToTColor(option->palette.color(group, QPalette::HighlightedText)));
  for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    option->palette.setColor(g, QPalette::Text, ToQColor(text));
    option->palette.setColor(g, QPalette::HighlightedText, ToQColor(highlighted));
  }
}

void FillCodeCheckList(QListWidget* list, const std::vector<std::string>& items, const TCodePages& pages,
                       TByteFlag flag) {
  if (list->count() != static_cast<int>(items.size())) {
    list->clear();
    for (std::size_t b = 0; b < items.size(); ++b) {
      auto* item = new QListWidgetItem(list);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
  }
  for (int b = 0; b < list->count(); ++b) {
    QListWidgetItem* item = list->item(b);
    item->setText(QString::fromStdString(items[b]));
    item->setCheckState(pages.Flag(flag, b) ? Qt::Checked : Qt::Unchecked);
  }
}
