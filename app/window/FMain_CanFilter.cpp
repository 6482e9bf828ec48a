// The CAN page's identifier filter: the entry edit, the sorted check list
// and the box, over core/CanFilter.
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

#include "core/CanFilter.h"
#include "window/CanPageUi.h"
#include "window/FMain.h"

namespace {

// Keys of the entry edit and the list go to the window's handlers first.
class TCanFilterKeys : public QObject {
 public:
  TCanFilterKeys(TFrmMain* window, QObject* parent) : QObject(parent), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched->objectName() == QLatin1String("edCANFilter")) return window_->edCANFilterKeyPress(key);
    return window_->lstCANFilterKeyDown(key);
  }

 private:
  TFrmMain* window_;
};

}  // namespace

void TFrmMain::BuildCanFilter() {
  TCanPageUi& c = *canUi_;
  c.lstCANFilter->setSortingEnabled(true);
  auto* keys = new TCanFilterKeys(this, c.grpCANFilter);
  c.edCANFilter->installEventFilter(keys);
  c.lstCANFilter->installEventFilter(keys);
  c.edCANFilter->setMaxLength(kCanFilterMaxLength);
  connect(c.edCANFilter, &QLineEdit::textChanged, this, &TFrmMain::edCANFilterChange);
  connect(c.lstCANFilter, &QListWidget::itemChanged, this, &TFrmMain::lstCANFilterClickCheck);
  connect(c.lstCANFilter, &QListWidget::itemClicked, this, &TFrmMain::lstCANFilterClick);
  connect(c.chkCANFilter, &QCheckBox::clicked, this, &TFrmMain::chkCANFilterClick);
}

std::vector<TCanFilterEntry> TFrmMain::CanFilterEntries() const {
  std::vector<TCanFilterEntry> entries;
  const QListWidget* list = canUi_->lstCANFilter;
  for (int i = 0; i < list->count(); ++i)
    entries.push_back({list->item(i)->text().toStdString(), list->item(i)->checkState() == Qt::Checked});
  return entries;
}

void TFrmMain::FillCanFilterList(const std::vector<TCanFilterEntry>& entries, bool checked) {
  QListWidget* list = canUi_->lstCANFilter;
  fillingCanFilter_ = true;
  list->clear();
  for (const TCanFilterEntry& e : entries) {
    auto* item = new QListWidgetItem(QString::fromStdString(e.Text));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(e.Checked ? Qt::Checked : Qt::Unchecked);
    list->addItem(item);
  }
  fillingCanFilter_ = false;
  canUi_->chkCANFilter->setChecked(checked && list->count() > 0);
  PublishRxOptions();
}

bool TFrmMain::edCANFilterKeyPress(QKeyEvent* key) {
  QLineEdit* edit = canUi_->edCANFilter;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    edCANFilterKeyUp();
    return true;
  }
  const QString typed = key->text();
  if (typed.size() != 1 || typed[0].unicode() >= 128 || typed[0].unicode() < 32) return false;
  const std::optional<char> taken = CanFilterKey(edit->text().toStdString(),
                                                 static_cast<std::size_t>(edit->cursorPosition()),
                                                 static_cast<char>(typed[0].unicode()));
  if (!taken) return true;
  // A range may hold two identifiers.
  if (*taken == '-') edit->setMaxLength(kCanFilterRangeMaxLength);
  edit->insert(QString(QLatin1Char(*taken)));
  return true;
}

void TFrmMain::edCANFilterChange() {
  QLineEdit* edit = canUi_->edCANFilter;
  const TCanFilterEdit form = CanFilterChange(edit->text().toStdString());
  edit->setMaxLength(form.MaxLength);
  if (QString::fromStdString(form.Text) != edit->text()) edit->setText(QString::fromStdString(form.Text));
}

void TFrmMain::edCANFilterKeyUp() {
  QLineEdit* edit = canUi_->edCANFilter;
  if (edit->text().isEmpty()) return;
  std::vector<TCanFilterEntry> entries = CanFilterEntries();
  AddCanFilterEntry(entries, edit->text().toStdString());
  FillCanFilterList(entries, true);
}

void TFrmMain::lstCANFilterClickCheck(QListWidgetItem* changed) {
  if (fillingCanFilter_) return;
  QListWidget* list = canUi_->lstCANFilter;
  if (changed != nullptr && changed->isSelected()) {
    fillingCanFilter_ = true;
    for (QListWidgetItem* item : list->selectedItems()) item->setCheckState(changed->checkState());
    fillingCanFilter_ = false;
  }
  PublishRxOptions();
}

bool TFrmMain::lstCANFilterKeyDown(QKeyEvent* key) {
  QListWidget* list = canUi_->lstCANFilter;
  if (key->key() != Qt::Key_Delete && key->key() != Qt::Key_Backspace) return false;
  if (list->count() == 0) return true;
  fillingCanFilter_ = true;
  for (QListWidgetItem* item : list->selectedItems()) delete item;
  fillingCanFilter_ = false;
  chkCANFilterClick();
  return true;
}

void TFrmMain::lstCANFilterClick() {
  const QList<QListWidgetItem*> selected = canUi_->lstCANFilter->selectedItems();
  if (!selected.isEmpty()) canUi_->edCANFilter->setText(selected.first()->text());
}

void TFrmMain::chkCANFilterClick() {
  if (canUi_->lstCANFilter->count() == 0) canUi_->chkCANFilter->setChecked(false);
  PublishRxOptions();
}
