// The CAN page and the frequency panel: what reaches the interface's memory,
// the bit-timing table, and the filter edited by keys reaching the trace.
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

#include "WindowTestSupport.h"
#include "core/CanFilter.h"
#include "window/CanPageUi.h"
#include "window/RadioGroup.h"

namespace {

class CanPageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    frm->UsbRamWrite() = [this](std::uint16_t address, std::uint8_t value) {
      writes.emplace_back(address, value);
      return true;
    };
  }
  void ChooseUsbMode(const QString& item) {
    Find<QRadioButton>("rgrpG")->setChecked(true);
    auto* grpUSB = Find<TRadioGroup>("grpUSB");
    const int index = static_cast<int>(grpUSB->Items().indexOf(item));
    ASSERT_GE(index, 0) << item.toStdString();
    grpUSB->Button(index)->click();
  }
  void Type(QWidget* target, const QString& keys) {
    for (const QChar c : keys) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(target, &press);
    }
  }
  void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  }
  bool TabShown(const char* name) const {
    auto* page = Find<QTabWidget>("Page");
    for (int i = 0; i < page->count(); ++i)
      if (page->widget(i)->objectName() == QLatin1String(name)) return page->isTabVisible(i);
    return false;
  }

  std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
};

TEST_F(CanPageTest, InitWritesTheRegistersAndTheTableFollowsThem) {
  EXPECT_FALSE(TabShown("tabCAN"));
  ChooseUsbMode(QStringLiteral("CAN- Bus"));
  ASSERT_EQ(frm->WorkMode(), 440);
  EXPECT_TRUE(TabShown("tabCAN"));
  TCanPageUi& c = frm->CanPage();
  EXPECT_FALSE(c.chkCANEN->isVisibleTo(c.tabCAN));
  c.edCANBTR0->setText(QStringLiteral("0"));
  c.edCANBTR1->setText(QStringLiteral("g1"));  // pasted: only hexadecimal digits stay
  EXPECT_EQ(c.edCANBTR1->text(), QStringLiteral("1"));
  c.edCANBTR1->setText(QStringLiteral("14"));
  EXPECT_EQ(c.grdCAN->item(7, 0)->text(), QStringLiteral("Baud"));
  EXPECT_EQ(c.grdCAN->item(7, 2)->text(), QStringLiteral("750000"));
  c.edCANACR[3]->setText(QStringLiteral("ab"));
  c.btnInitCAN->click();
  ASSERT_EQ(writes.size(), 12u);
  EXPECT_EQ(writes[0], std::make_pair(std::uint16_t{0x101}, std::uint8_t{0}));
  EXPECT_EQ(writes[1], std::make_pair(std::uint16_t{0x102}, std::uint8_t{0x14}));
  EXPECT_EQ(writes[2], std::make_pair(std::uint16_t{0x103}, std::uint8_t{0x42}));
  EXPECT_EQ(writes[6], std::make_pair(std::uint16_t{0x123}, std::uint8_t{0xAB}));
  EXPECT_EQ(writes[10], std::make_pair(std::uint16_t{0x128}, std::uint8_t{0xFF}));
  EXPECT_EQ(writes[11], std::make_pair(std::uint16_t{0x106}, std::uint8_t{2}));
}

TEST_F(CanPageTest, FilterEntriesTypedWithEnterFilterTheTrace) {
  TCanPageUi& c = frm->CanPage();
  Type(c.edCANFilter, QStringLiteral("1?-3"));  // no range of patterns
  EXPECT_EQ(c.edCANFilter->text(), QStringLiteral("1?3"));
  Press(c.edCANFilter, Qt::Key_Return);
  c.edCANFilter->clear();
  Type(c.edCANFilter, QStringLiteral("200-1ff"));
  Press(c.edCANFilter, Qt::Key_Return);
  ASSERT_EQ(c.lstCANFilter->count(), 2);
  EXPECT_EQ(c.lstCANFilter->item(1)->text(), QStringLiteral("200-1FF"));
  EXPECT_TRUE(c.chkCANFilter->isChecked());
  auto filter = frm->Pipeline().Options().CanFilter;
  ASSERT_TRUE(filter);
  EXPECT_TRUE(filter->Pass(0x123));
  EXPECT_TRUE(filter->Pass(0x1FF));
  EXPECT_FALSE(filter->Pass(0x124));

  // Unchecking a selected entry unchecks every selected one.
  c.lstCANFilter->selectAll();
  c.lstCANFilter->item(0)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(c.lstCANFilter->item(1)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(frm->Pipeline().Options().CanFilter->Pass(0x123));

  // Deleting every entry switches the filter off.
  Press(c.lstCANFilter, Qt::Key_Delete);
  EXPECT_EQ(c.lstCANFilter->count(), 0);
  EXPECT_FALSE(c.chkCANFilter->isChecked());
  EXPECT_TRUE(frm->Pipeline().Options().CanFilter->Pass(0x124));
}

TEST_F(CanPageTest, TheFrequencyPanelWritesOnlyInTheFrequencyMode) {
  TFqPanelUi& fq = frm->FqPanel();
  fq.grpFQIN->Button(0)->click();
  fq.edFQZyk->setText(QStringLiteral("7"));
  EXPECT_TRUE(writes.empty());
  ChooseUsbMode(QStringLiteral("Frequenz-Messung"));
  ASSERT_EQ(frm->WorkMode(), 430);
  EXPECT_FALSE(Find<QWidget>("panFQMess")->isHidden());
  fq.grpFQIN->Button(3)->click();
  fq.edFQZyk->setText(QStringLiteral("999"));
  EXPECT_EQ(fq.edFQZyk->text(), QStringLiteral("255"));
  fq.edFQZyk->setText(QStringLiteral("0"));
  EXPECT_EQ(fq.edFQZyk->text(), QStringLiteral("1"));
  const std::vector<std::pair<std::uint16_t, std::uint8_t>> expected = {{0x101, 1}, {0x102, 255}, {0x102, 1}};
  EXPECT_EQ(writes, expected);
}

}  // namespace
