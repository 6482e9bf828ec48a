// Draws the entries of the code list and of the start and stop lists: an
// entry whose text differs from its base page stands out in the colour the
// code pages give it (row = byte value).
#pragma once

#include <QStyledItemDelegate>
#include <string>
#include <vector>

#include "core/CodePages.h"

class QListWidget;
class TCodePages;

class TCodeListDelegate : public QStyledItemDelegate {
 public:
  TCodeListDelegate(const TCodePages& codePages, QObject* parent);

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  const TCodePages& codePages_;
};

// Fills a check list with the entries and the flag's marks, keeping its
// selection and current entry when it already holds them all.
void FillCodeCheckList(QListWidget* list, const std::vector<std::string>& items, const TCodePages& pages,
                       TByteFlag flag);
