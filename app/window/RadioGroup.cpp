#include "window/RadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), grid_(new QGridLayout(this)) {
  grid_->setContentsMargins(6, 4, 6, 4);
  grid_->setVerticalSpacing(1);
  group_.setExclusive(true);
  connect(&group_, &QButtonGroup::buttonClicked, this, [this] { emit Clicked(); });
}

void TRadioGroup::SetItems(const QStringList& items) {
  for (QRadioButton* button : buttons_) {
    group_.removeButton(button);
    delete button;
  }
  buttons_.clear();
  for (const QString& item : items) AddItem(item);
}

void TRadioGroup::AddItem(const QString& text) {
  auto* button = new QRadioButton(text, this);
  button->setObjectName(objectName() + QStringLiteral("_%1").arg(buttons_.size()));
  group_.addButton(button, static_cast<int>(buttons_.size()));
  buttons_.push_back(button);
  Relayout();
}

QStringList TRadioGroup::Items() const {
  QStringList items;
  for (const QRadioButton* button : buttons_) items.push_back(button->text());
  return items;
}

QString TRadioGroup::Item(int index) const {
  return index >= 0 && index < Count() ? buttons_[index]->text() : QString();
}

void TRadioGroup::SetItemText(int index, const QString& text) {
  if (index >= 0 && index < Count()) buttons_[index]->setText(text);
}

int TRadioGroup::ItemIndex() const { return group_.checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Count()) {
    buttons_[index]->setChecked(true);
    return;
  }
  // An exclusive group keeps its button checked; let go for a moment.
  group_.setExclusive(false);
  for (QRadioButton* button : buttons_) button->setChecked(false);
  group_.setExclusive(true);
}

void TRadioGroup::SetColumns(int columns) {
  columns_ = columns < 1 ? 1 : columns;
  Relayout();
}

QRadioButton* TRadioGroup::Button(int index) const { return index >= 0 && index < Count() ? buttons_[index] : nullptr; }

void TRadioGroup::Relayout() {
  for (QRadioButton* button : buttons_) grid_->removeWidget(button);
  const int rows = (Count() + columns_ - 1) / columns_;
  for (int i = 0; i < Count(); ++i) grid_->addWidget(buttons_[i], rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
}
