// A group box of radio buttons addressed by index, as the interface page's
// choice lists are: items, the selected index (-1 none) and one click signal.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QGridLayout;
class QRadioButton;

class TRadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  explicit TRadioGroup(QWidget* parent = nullptr);

  // Items run down the columns; a new item list keeps no selection.
  void SetItems(const QStringList& items);
  void AddItem(const QString& text);
  QStringList Items() const;
  int Count() const { return static_cast<int>(buttons_.size()); }
  QString Item(int index) const;
  void SetItemText(int index, const QString& text);
  int ItemIndex() const;
  // Without the click signal; an index outside the list clears the choice.
  void SetItemIndex(int index);
  void SetColumns(int columns);
  QRadioButton* Button(int index) const;

 signals:
  // The user picked an item.
  void Clicked();

 private:
  void Relayout();

  QGridLayout* grid_;
  QButtonGroup group_;
  QList<QRadioButton*> buttons_;
  int columns_ = 1;
};
