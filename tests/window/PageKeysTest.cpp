// Ctrl+Tab and Ctrl+Shift+Tab walk the pages a user can see, and only those.
#include <QTabWidget>

#include "WindowTestSupport.h"

namespace {

class PageKeysTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    page = Find<QTabWidget>("Page");
    page->setCurrentIndex(0);
  }
  // The page indices reached by pressing the key as often as there are pages.
  std::vector<int> Walk(Qt::KeyboardModifiers modifiers) {
    std::vector<int> reached;
    for (int i = 0; i < page->count(); ++i) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Tab, modifiers);
      QApplication::sendEvent(page, &key);
      reached.push_back(page->currentIndex());
    }
    return reached;
  }
  std::vector<int> Visible() const {
    std::vector<int> shown;
    for (int i = 0; i < page->count(); ++i)
      if (page->isTabVisible(i)) shown.push_back(i);
    return shown;
  }

  QTabWidget* page = nullptr;
};

TEST_F(PageKeysTest, CtrlTabVisitsEveryVisiblePageAndNoHiddenOne) {
  const std::vector<int> visible = Visible();
  ASSERT_LT(visible.size(), static_cast<std::size_t>(page->count())) << "some pages are hidden at start";
  std::vector<int> expected;
  for (std::size_t i = 1; expected.size() < static_cast<std::size_t>(page->count()); ++i)
    expected.push_back(visible[i % visible.size()]);
  EXPECT_EQ(Walk(Qt::ControlModifier), expected);

  page->setCurrentIndex(0);
  std::vector<int> backwards;
  for (std::size_t i = 1; backwards.size() < static_cast<std::size_t>(page->count()); ++i)
    backwards.push_back(visible[(visible.size() - i % visible.size()) % visible.size()]);
  EXPECT_EQ(Walk(Qt::ControlModifier | Qt::ShiftModifier), backwards);
}

}  // namespace
