// The window started as the program starts it: with its settings, the error
// report, the Info page, the "/?" box, the service switch and the stored
// window position.
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTimer>
#include <stdexcept>
#include <thread>

#include "WindowTestSupport.h"
#include "core/AppFlags.h"
#include "core/ErrorLogFile.h"
#include "core/ErrorReport.h"
#include "core/Startup.h"
#include "core/TempDir.h"

namespace {

class InfoPageTest : public StartedWindowTest {
 protected:
  QString ErrorList() const { return Find<QLabel>("lbErrMsg")->text(); }
};

QStringList ReportsOf(const QString& list, const QString& location) {
  QStringList messages;
  for (const QString& line : list.split(QLatin1Char('\n'))) {
    const QStringList parts = line.split(QLatin1Char('/'));
    if (parts.size() == 3 && parts[1] == location) messages << parts[2];
  }
  return messages;
}

}  // namespace

TEST_F(InfoPageTest, InfoPageShowsTitleAndVersion) {
  Start({});
  auto* page = Find<QTabWidget>("Page");
  QWidget* info = Find<QWidget>("tabInfo");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(page->indexOf(info), page->count() - 1);
  EXPECT_EQ(page->tabText(page->indexOf(info)), QStringLiteral("Info"));
  EXPECT_EQ(info->property("tag").toInt(), 1015);
  EXPECT_EQ(info->property("HelpContext").toInt(), 3000);
  EXPECT_FALSE(Find<QLabel>("Label9")->text().isEmpty());
  EXPECT_EQ(Find<QLineEdit>("edVer")->text(), QStringLiteral("V %1.%2.%3")
                                                   .arg(TAMARIK_VERSION_MAJOR)
                                                   .arg(TAMARIK_VERSION_MINOR)
                                                   .arg(TAMARIK_VERSION_BUILD, 4, 10, QLatin1Char('0')));
}

TEST_F(InfoPageTest, AboutBoxNamesProgramTitleAndVersionAndTheWindowRunsOn) {
  Start({"/?"});
  ASSERT_TRUE(startup->CommandLine().ShowAbout);
  frm->ShowAbout();
  auto* box = frm->findChild<QMessageBox*>(QStringLiteral("AboutBox"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QStringLiteral("Tamarik\n") + Find<QLabel>("Label9")->text() +
                             QStringLiteral("\nVersion: ") + Find<QLineEdit>("edVer")->text());
  EXPECT_TRUE(frm->isVisible());
  box->close();
}

TEST_F(InfoPageTest, ReportsFromWorkerThreadsReachTheListInOrder) {
  Start({});
  constexpr int kEach = 40;
  std::jthread serial([] {
    for (int i = 0; i < kEach; ++i) ReportError("23", "Serial " + std::to_string(i));
  });
  std::jthread usb([] {
    for (int i = 0; i < kEach; ++i) ReportError("17", "USB " + std::to_string(i));
  });
  serial.join();
  usb.join();
  ASSERT_TRUE(WaitFor([&] { return ErrorList() == QString::fromStdString(startup->Errors().DisplayText()); }));
  QStringList serialWanted, usbWanted;
  for (int i = 0; i < kEach; ++i) {
    serialWanted << QStringLiteral("Serial %1").arg(i);
    usbWanted << QStringLiteral("USB %1").arg(i);
  }
  EXPECT_EQ(ReportsOf(ErrorList(), QStringLiteral("23")), serialWanted);
  EXPECT_EQ(ReportsOf(ErrorList(), QStringLiteral("17")), usbWanted);
}

TEST_F(InfoPageTest, ErrorListShowsLineBreaksOfTheReport) {
  Start({});
  ReportError("5.1", "first\r\nsecond");
  ReportError("5.2", "<b>not markup</b>");
  ASSERT_TRUE(WaitFor([&] { return ErrorList().contains(QStringLiteral("not markup")); }));
  const QStringList lines = ErrorList().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 3);
  const qsizetype at = lines.size() - 3;  // after what the start-up may have reported
  EXPECT_TRUE(lines[at].endsWith(QStringLiteral("/5.1/first")));
  EXPECT_EQ(lines[at + 1], QStringLiteral("\tsecond"));
  EXPECT_TRUE(lines[at + 2].endsWith(QStringLiteral("/5.2/<b>not markup</b>")));
  EXPECT_EQ(Find<QLabel>("lbErrMsg")->textFormat(), Qt::PlainText);
}

TEST_F(InfoPageTest, ExceptionInAHandlerBecomesAReportAndTheProgramGoesOn) {
  Start({});
  QTimer::singleShot(0, frm.get(), [] { throw std::runtime_error("Handler failed"); });
  QMetaObject::invokeMethod(frm.get(), [] { throw 42; }, Qt::QueuedConnection);
  ASSERT_TRUE(WaitFor([&] { return ErrorList().contains(QStringLiteral("Unknown exception")); }));
  const QStringList reports = ReportsOf(ErrorList(), QStringLiteral("1.1"));
  EXPECT_EQ(reports, (QStringList{QStringLiteral("Handler failed"), QStringLiteral("Unknown exception")}));
  // The event loop still serves the window.
  bool served = false;
  QTimer::singleShot(0, frm.get(), [&served] { served = true; });
  EXPECT_TRUE(WaitFor([&] { return served; }));
}

TEST_F(InfoPageTest, DoubleClickOnTheListSwitchesTheErrorLogOn) {
  Start({});
  ASSERT_FALSE(log.Enabled());
  auto* list = Find<QLabel>("lbErrMsg");
  const QPointF at(5, 5);
  QMouseEvent click(QEvent::MouseButtonDblClick, at, list->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(list, &click);
  EXPECT_TRUE(log.Enabled());
  const std::string written = TTempDir::Read(dir.File("TamarikErr.log"));
  EXPECT_NE(written.find(" Activate Err-Log."), std::string::npos) << written;
  EXPECT_TRUE(list->autoFillBackground());
  EXPECT_EQ(list->palette().color(QPalette::Window), list->palette().color(QPalette::Base));
  // Reports now reach the log too.
  ReportError("23", "after the click");
  EXPECT_NE(TTempDir::Read(dir.File("TamarikErr.log")).find("23 / after the click"), std::string::npos);
}

TEST_F(InfoPageTest, UsbTestPageOnlyWithTheServiceSwitchSpelledExactly) {
  Start({"/quorvent"});
  auto* page = Find<QTabWidget>("Page");
  EXPECT_FALSE(page->isTabVisible(page->indexOf(Find<QWidget>("tabUSB"))));
  frm.reset();
  startup.reset();
  Start({"/Quorvent"});
  page = Find<QTabWidget>("Page");
  EXPECT_TRUE(page->isTabVisible(page->indexOf(Find<QWidget>("tabUSB"))));
}

TEST_F(InfoPageTest, StoredPositionOffTheScreenMovesToTheCorner) {
  Start({}, "[FrmMain]\r\nLeft=-4000\r\nTop=-3000\r\nWidth=500\r\nHeight=400\r\nWindowState=0\r\n");
  EXPECT_EQ(frm->pos(), QPoint(32, 32));
  EXPECT_FALSE(frm->isMaximized());
}

TEST_F(InfoPageTest, StoredPositionOnTheScreenStaysAndWindowStateTwoMaximises) {
  Start({}, "[FrmMain]\r\nLeft=60\r\nTop=40\r\nWidth=500\r\nHeight=400\r\nWindowState=2\r\n");
  EXPECT_TRUE(WaitFor([&] { return frm->isMaximized(); }));
  EXPECT_EQ(frm->normalGeometry().topLeft(), QPoint(60, 40));
}
