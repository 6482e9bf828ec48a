#include "window/Help.h"

#include "core/InstallPaths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QObject>
#include <QVariant>
#include <array>

#ifndef TAMARIK_HOMEPAGE
#define TAMARIK_HOMEPAGE ""
#endif

namespace {

// The folders of the built-in languages, in the order of the language choice.
constexpr std::array<const char*, 5> kLanguageFolders = {"de", "en", "da", "nl", "fr"};

}  // namespace

THelp::THelp()
    : folder_(QString::fromStdString(HelpFolder(QCoreApplication::applicationDirPath().toStdString()))),
      homePage_(QStringLiteral(TAMARIK_HOMEPAGE)),
      opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

void THelp::SetLanguage(int itemIndex) {
  const bool builtIn = itemIndex >= 0 && itemIndex < static_cast<int>(kLanguageFolders.size());
  // User languages have no pages of their own; their texts fall back to English too.
  language_ = QLatin1String(builtIn ? kLanguageFolders[static_cast<size_t>(itemIndex)] : "en");
}

QUrl THelp::OnlineHelp() const {
  QString address = homePage_.trimmed();
  while (address.endsWith(u'/')) address.chop(1);
  if (address.isEmpty()) return {};
  return QUrl(address + QStringLiteral("/Hilfe/Tamarik/Index.htm"));
}

QUrl THelp::PageFor(int context) const {
  const QString name = QString::number(context) + QStringLiteral(".htm");
  for (const QString& language : {language_, QStringLiteral("en"), QStringLiteral("de")}) {
    const QFileInfo page(folder_ + u'/' + language + u'/' + name);
    if (page.isFile()) return QUrl::fromLocalFile(page.absoluteFilePath());
  }
  return OnlineHelp();
}

bool THelp::Show(int context, QUrl* failed) const {
  const QUrl page = PageFor(context);
  if (failed) *failed = page;
  if (page.isEmpty() || !opener_ || !opener_(page)) return false;
  if (failed) *failed = QUrl();
  return true;
}

int THelp::ContextOf(const QObject* object) {
  for (; object != nullptr; object = object->parent())
    if (const int context = object->property("HelpContext").toInt(); context > 0) return context;
  return 0;
}
