// A walk through every page and the log dialogs in each language, as a user
// would take it: outside German, no text on screen may still be German.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <map>
#include <set>

#include "WindowTestSupport.h"
#include "core/Language.h"
#include "core/TempDir.h"
#include "core/TextTable.h"

namespace {

using TScreenTexts = std::map<QString, QString>;  // where it shows → what it says

QString Plain(QString text) { return text.remove(QLatin1Char('&')).trimmed(); }

void Put(TScreenTexts& texts, const QString& where, const QString& text) {
  if (!Plain(text).isEmpty()) texts[where] = Plain(text);
}

QString Where(const QObject* object, const char* what) {
  return object->objectName() + QLatin1Char('@') + QString::number(reinterpret_cast<quintptr>(object), 16) +
         QLatin1Char(':') + QLatin1String(what);
}

void CollectWidget(TScreenTexts& texts, const QWidget* w) {
  Put(texts, Where(w, "hint"), w->toolTip());
  Put(texts, Where(w, "status"), w->statusTip());
  if (const auto* button = qobject_cast<const QAbstractButton*>(w)) Put(texts, Where(w, "text"), button->text());
  if (const auto* label = qobject_cast<const QLabel*>(w)) Put(texts, Where(w, "text"), label->text());
  if (const auto* group = qobject_cast<const QGroupBox*>(w)) Put(texts, Where(w, "title"), group->title());
  if (const auto* tabs = qobject_cast<const QTabWidget*>(w))
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->isTabVisible(i)) {
        Put(texts, Where(w, "tab") + QString::number(i), tabs->tabText(i));
        Put(texts, Where(w, "tabhint") + QString::number(i), tabs->tabToolTip(i));
      }
  // The port lists hold device names, not words.
  if (const auto* box = qobject_cast<const QComboBox*>(w); box && !box->isEditable())
    for (int i = 0; i < box->count(); ++i) Put(texts, Where(w, "item") + QString::number(i), box->itemText(i));
}

// A file dialog's title, filters and its own labels and buttons; then it is cancelled.
void CollectFileDialog(TScreenTexts& texts, const QString& name, QWidget* modal) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  if (dialog == nullptr) {
    ADD_FAILURE() << name.toStdString() << ": not a file dialog but " << modal->metaObject()->className();
    modal->close();
    return;
  }
  Put(texts, name + QStringLiteral(":title"), dialog->windowTitle());
  const QStringList filters = dialog->nameFilters();
  for (qsizetype i = 0; i < filters.size(); ++i)
    Put(texts, name + QStringLiteral(":filter") + QString::number(i), filters[i]);
  for (const QWidget* w : dialog->findChildren<QWidget*>())
    if (w->isVisible() && (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w)))
      Put(texts, name + QLatin1Char(':') + w->objectName() + QStringLiteral(":text"),
          qobject_cast<const QAbstractButton*>(w) ? static_cast<const QAbstractButton*>(w)->text()
                                                 : static_cast<const QLabel*>(w)->text());
  dialog->reject();
}

class LanguageWalkTest : public WindowTest {
 protected:
  // Everything a user sees on the way through the pages and the log dialogs.
  TScreenTexts Walk() {
    TScreenTexts texts;
    auto* page = Find<QTabWidget>("Page");
    for (int i = 0; i < page->count(); ++i) {
      if (!page->isTabVisible(i)) continue;
      page->setCurrentIndex(i);
      QCoreApplication::processEvents();
      for (const QWidget* w : frm->findChildren<QWidget*>())
        if (w->isVisible()) CollectWidget(texts, w);
    }
    for (const QAction* action : frm->findChildren<QAction*>())
      if (action->isVisible() && !action->isSeparator()) {
        Put(texts, Where(action, "text"), action->text());
        Put(texts, Where(action, "hint"), action->statusTip());
      }

    WhenDialogShows([&](QWidget* modal) { CollectFileDialog(texts, QStringLiteral("SDlg"), modal); });
    Check("chkOnlineLog")->click();
    WhenDialogShows([&](QWidget* modal) { CollectFileDialog(texts, QStringLiteral("SDlgRoh"), modal); });
    Check("chkOnlineRohLog")->click();

    // The question about an existing file, with the system's own buttons.
    const std::string existing = dir.File("existing.txt");
    TTempDir::Write(existing, "x");
    const auto dialog = frm->LogPrompts().OnlineDialog;
    frm->LogPrompts().OnlineDialog = [existing](const TLogFileChoice&) {
      return std::optional<TLogFileChoice>(TLogFileChoice{existing, 3});
    };
    WhenDialogShows([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      Put(texts, QStringLiteral("question:text"), box->text());
      Put(texts, QStringLiteral("question:yes"), box->button(QMessageBox::Yes)->text());
      Put(texts, QStringLiteral("question:no"), box->button(QMessageBox::No)->text());
      box->button(QMessageBox::No)->click();
    });
    Check("chkOnlineLog")->click();
    if (Check("chkOnlineLog")->isChecked()) Check("chkOnlineLog")->click();
    frm->LogPrompts().OnlineDialog = dialog;
    page->setCurrentIndex(0);
    return texts;
  }

  // Texts of one language's block, as they show (no accelerators).
  static std::set<QString> Block(int language) {
    std::set<QString> block;
    for (const TTextEntry& entry : BuiltInBlock(language)) block.insert(Plain(QString::fromUtf8(entry.Text)));
    return block;
  }

  TTempDir dir;
};

// Names of devices and of things that are the same in every language: the
// languages name themselves in their own words.
bool Neutral(const QString& text) {
  // A technical name, the same in every language.
  if (text == QLatin1String("PlugIn")) return true;
  for (int language = 1; language <= BuiltInLanguageCount; ++language)
    if (text == QString::fromUtf8(BuiltInText(language * TextBlockSize + 1).data(), static_cast<qsizetype>(BuiltInText(language * TextBlockSize + 1).size()))) return true;
  static const QRegularExpression noWord(QStringLiteral("^[^A-Za-zÄÖÜäöüß]*([A-Za-z][^A-Za-z]*){0,2}$"));
  static const QRegularExpression device(QStringLiteral("^((RTS|DTR) )?(tty|pts/)\\S*$"));
  return noWord.match(text).hasMatch() || device.match(text).hasMatch();
}

TEST_F(LanguageWalkTest, NoGermanTextIsLeftOnTheWayThroughThePagesInAnotherLanguage) {
  const TScreenTexts german = Walk();
  const std::set<QString> germanBlock = Block(1);
  for (int index = 1; index < BuiltInLanguageCount; ++index) {
    frm->SelectLanguage(index);
    const std::set<QString> own = Block(index + 1);
    for (const auto& [where, text] : Walk()) {
      if (own.count(text) != 0 || Neutral(text)) continue;
      const auto before = german.find(where);
      const bool unchanged = before != german.end() && before->second == text;
      EXPECT_FALSE(unchanged || germanBlock.count(text) != 0)
          << "language " << index << ", " << where.toStdString() << ": \"" << text.toStdString() << '"';
    }
  }
}

TEST_F(LanguageWalkTest, TheSystemsOwnButtonsSpeakTheChosenLanguage) {
  const auto yes = [] {
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    return Plain(box.button(QMessageBox::Yes)->text());
  };
  frm->SelectLanguage(1);
  const QString english = yes();
  for (int index : {0, 2, 3, 4}) {
    frm->SelectLanguage(index);
    EXPECT_NE(yes(), english) << "language " << index;
  }
  frm->SelectLanguage(1);
  EXPECT_EQ(yes(), english);
}

}  // namespace
