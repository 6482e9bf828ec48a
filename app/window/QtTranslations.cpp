#include "window/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <array>
#include <memory>

namespace {

constexpr std::array<const char*, 5> kQtLanguageCodes = {"de", "en", "da", "nl", "fr"};

}  // namespace

void LoadQtTranslations(int languageIndex) {
  static std::unique_ptr<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  // English is what Qt speaks without a translation.
  if (languageIndex < 0 || languageIndex >= static_cast<int>(kQtLanguageCodes.size()) || languageIndex == 1) return;
  auto translator = std::make_unique<QTranslator>();
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(kQtLanguageCodes[languageIndex]), folder)) return;
  QCoreApplication::installTranslator(translator.get());
  installed = std::move(translator);
}
