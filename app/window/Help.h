// The help pages: one HTML page per help context in a folder per language
// (help/de/1200.htm, help/en/1200.htm, …) beside the program or in the
// install prefix's share/tamarik, opened in the
// system's browser. A language without its own pages reads the English ones.
// Without the pages the online help of the home page is opened instead.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QObject;

class THelp {
 public:
  // Opens an address; returns false when the system could not.
  using TOpener = std::function<bool(const QUrl&)>;

  // The help folder beside the program, the system's browser and the home
  // page this program was configured with.
  THelp();

  void SetFolder(const QString& folder) { folder_ = folder; }
  const QString& Folder() const { return folder_; }
  void SetHomePage(const QString& address) { homePage_ = address; }
  const QString& HomePage() const { return homePage_; }
  void SetOpener(TOpener opener) { opener_ = std::move(opener); }

  // The language whose pages are shown, by its item in the language choice.
  void SetLanguage(int itemIndex);
  const QString& Language() const { return language_; }

  // The page for a help context: the page of the language, else the English
  // or German one, else the online help; empty when there is neither.
  QUrl PageFor(int context) const;
  QUrl OnlineHelp() const;

  // Opens the page for the context. False when there is no page or the
  // system could not open it; failed then holds that page (empty: none).
  bool Show(int context, QUrl* failed = nullptr) const;

  // The first positive help context from the object up through its parents;
  // 0 when none has one.
  static int ContextOf(const QObject* object);

 private:
  QString folder_;
  QString homePage_;
  QString language_ = QStringLiteral("de");
  TOpener opener_;
};
