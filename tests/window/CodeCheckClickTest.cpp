// Clicking the line-break check boxes of the code list with the mouse: the
// clicked entry is the one that changes, unless the user selected several
// on purpose.
#include <QListWidget>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabWidget>

#include "WindowTestSupport.h"

namespace {

class CodeCheckClickTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Find<QTabWidget>("Page")->setCurrentWidget(Find<QWidget>("tabDaten"));
    codes = Find<QListWidget>("lstCodes");
    QCoreApplication::processEvents();
  }
  void Click(QListWidget* list, const QPoint& at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF global = list->viewport()->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(list->viewport(), &release);
  }
  QRect ItemRect(int row) {
    codes->scrollToItem(codes->item(row));
    return codes->visualItemRect(codes->item(row));
  }
  void ClickText(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QRect rect = ItemRect(row);
    Click(codes, QPoint(rect.left() + rect.width() / 2, rect.center().y()), modifiers);
  }
  void ClickCheckBox(int row) {
    QStyleOptionViewItem option;
    option.initFrom(codes);
    option.rect = ItemRect(row);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = codes->item(row)->text();
    option.widget = codes;
    const QRect box = codes->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, codes);
    ASSERT_TRUE(box.isValid());
    Click(codes, box.center());
  }
  std::vector<int> Checked() const {
    std::vector<int> rows;
    for (int b = 0; b < codes->count(); ++b)
      if (codes->item(b)->checkState() == Qt::Checked) rows.push_back(b);
    return rows;
  }

  QListWidget* codes = nullptr;
};

TEST_F(CodeCheckClickTest, TheClickedCheckBoxChangesItsOwnEntryOnly) {
  ClickText(21);
  ASSERT_EQ(codes->currentRow(), 21);
  ClickCheckBox(24);
  EXPECT_EQ(Checked(), std::vector<int>{24});
  EXPECT_EQ(codes->currentRow(), 24);
  ASSERT_EQ(Find<QListWidget>("lstZeile")->count(), 1);
}

TEST_F(CodeCheckClickTest, AfterRemovingAnEntryFromTheBreakListTheNextClickIsItsOwn) {
  ClickCheckBox(21);
  auto* lstZeile = Find<QListWidget>("lstZeile");
  ASSERT_EQ(lstZeile->count(), 1);
  lstZeile->setCurrentRow(0);
  frm->lstZeileDblClick();
  ASSERT_TRUE(Checked().empty());
  ClickCheckBox(24);
  EXPECT_EQ(Checked(), std::vector<int>{24});
}

TEST_F(CodeCheckClickTest, EntriesSelectedOnPurposeChangeTogether) {
  ClickText(21);
  ClickText(24, Qt::ControlModifier);
  ClickCheckBox(24);
  EXPECT_EQ(Checked(), (std::vector<int>{21, 24}));
}

}  // namespace
