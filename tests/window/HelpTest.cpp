// The help buttons and F1: which page opens for which page and control.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "WindowTestSupport.h"
#include "window/Help.h"

namespace {

const QString kShippedPages = QStringLiteral(TAMARIK_HELP_PAGES);

// Every help context the program names: the main window, its pages, the
// language choice and the interface page's groups.
const int kContexts[] = {1, 1200, 2000, 2100, 2110, 2120, 2130, 2140, 2150, 2151, 2200, 2300, 2400, 3000};

QUrl Page(const QString& language, int context) {
  return QUrl::fromLocalFile(kShippedPages + u'/' + language + u'/' + QString::number(context) + QStringLiteral(".htm"));
}

}  // namespace

TEST(HelpPages, EveryContextHasAGermanAndAnEnglishPageWhoseLinksResolve) {
  static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)[\"#]"));
  for (const char* language : {"de", "en"}) {
    for (const int context : kContexts) {
      const QString path = Page(QLatin1String(language), context).toLocalFile();
      QFile page(path);
      ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << path.toStdString();
      const QString html = QString::fromUtf8(page.readAll());
      EXPECT_TRUE(html.contains(QStringLiteral("charset=utf-8"))) << path.toStdString();
      for (auto match = link.globalMatch(html); match.hasNext();) {
        const QString target = QFileInfo(path).dir().filePath(match.next().captured(1));
        EXPECT_TRUE(QFileInfo::exists(target)) << path.toStdString() << " -> " << target.toStdString();
      }
    }
  }
}

TEST_F(WindowTest, HelpButtonOfEveryPageOpensThePageOfItsContextInTheLanguage) {
  frm->Help().SetFolder(kShippedPages);
  // Help buttons in page order; the USB test page has no context of its own.
  const std::pair<const char*, int> buttons[] = {{"btnHelp", 1200},  {"btnHelp1", 2100}, {"btnHelp2", 1},
                                                 {"btnHelp3", 2151}, {"btnHelp4", 2200}, {"btnHelp5", 2300},
                                                 {"btnHelp6", 2400}, {"btnHelp7", 3000}};
  for (const auto& [language, index] : {std::pair{"de", 0}, std::pair{"en", 1}, std::pair{"en", 3}}) {
    frm->SelectLanguage(index);
    for (const auto& [name, context] : buttons) {
      SCOPED_TRACE(name);
      QPushButton* button = Button(name);
      ASSERT_NE(button, nullptr);
      opened.clear();
      button->click();
      ASSERT_EQ(opened.size(), 1u);
      EXPECT_EQ(opened[0], Page(QLatin1String(language), context));  // Dutch reads the English pages
    }
  }
}

TEST_F(WindowTest, F1OpensTheContextOfTheFocusedControlOrElseOfThePageInFront) {
  frm->Help().SetFolder(kShippedPages);
  QAction* f1 = Find<QAction>("actHelpKey");
  ASSERT_NE(f1, nullptr);
  EXPECT_EQ(f1->shortcut(), QKeySequence(Qt::Key_F1));

  auto* page = Find<QTabWidget>("Page");
  page->setCurrentWidget(Find<QWidget>("tabSchnittstelle"));
  QApplication::setActiveWindow(frm.get());
  auto* language = Find<QGroupBox>("rgrpSprache")->findChild<QRadioButton*>();
  language->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == language; }));
  f1->trigger();
  Check("chkSound")->setFocus();
  f1->trigger();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], Page(QStringLiteral("de"), 2000));
  EXPECT_EQ(opened[1], Page(QStringLiteral("de"), 2100));

  // A help handler called from no control of a context asks the focused one.
  language->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == language; }));
  opened.clear();
  frm->btnHelpClick();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], Page(QStringLiteral("de"), 2000));
}

TEST_F(WindowTest, WithoutHelpPagesTheOnlineHelpOpensAndFailuresAreShown) {
  QTemporaryDir empty;
  frm->Help().SetFolder(empty.path());
  frm->Help().SetHomePage(QStringLiteral("https://help.example/"));
  Button("btnHelp6")->click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://help.example/Hilfe/Tamarik/Index.htm")));

  // A page in German only still opens for English.
  ASSERT_TRUE(QDir(empty.path()).mkpath(QStringLiteral("de")));
  QFile only(empty.path() + QStringLiteral("/de/2400.htm"));
  ASSERT_TRUE(only.open(QIODevice::WriteOnly));
  only.close();
  frm->SelectLanguage(1);
  Button("btnHelp6")->click();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], QUrl::fromLocalFile(QFileInfo(only).absoluteFilePath()));

  // The system cannot open it: the status bar says so, with the address.
  frm->Help().SetOpener([](const QUrl&) { return false; });
  Button("btnHelp6")->click();
  EXPECT_TRUE(frm->StatusMessage().startsWith(QStringLiteral("The help cannot be opened: ")));
  EXPECT_TRUE(frm->StatusMessage().endsWith(QStringLiteral("2400.htm")));

  // Neither pages nor an address: nothing is opened.
  frm->Help().SetOpener([this](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
  frm->Help().SetHomePage({});
  EXPECT_FALSE(frm->FOnHelp(TFrmMain::HelpCommandContext, 1200));
  EXPECT_EQ(opened.size(), 2u);
}
