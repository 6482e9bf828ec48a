#include "core/LocaleLanguage.h"

#include <cstdlib>
#include <iterator>

namespace {

struct TPosixLocale {
  std::string_view Name;  // "ll_CC", or "ll" for the language's main locale
  int Number;
};

constexpr TPosixLocale PosixLocales[] = {
    {"da", 1030},    {"da_DK", 1030}, {"de", 1031},    {"de_DE", 1031}, {"de_CH", 2055}, {"de_AT", 3079},
    {"de_LU", 4103}, {"de_LI", 5127}, {"en", 1033},    {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081},
    {"en_CA", 4105}, {"en_NZ", 5129}, {"en_IE", 6153}, {"en_ZA", 7177}, {"fr", 1036},    {"fr_FR", 1036},
    {"fr_BE", 2060}, {"fr_CA", 3084}, {"fr_CH", 4108}, {"fr_LU", 5132}, {"nl", 1043},    {"nl_NL", 1043},
    {"nl_BE", 2067}, {"it", 1040},    {"it_IT", 1040}, {"it_CH", 2064}, {"es", 3082},    {"es_ES", 3082},
    {"es_MX", 2058}, {"pt", 2070},    {"pt_PT", 2070}, {"pt_BR", 1046}, {"sv", 1053},    {"sv_SE", 1053},
    {"sv_FI", 2077}, {"fi", 1035},    {"nb", 1044},    {"no", 1044},    {"nn", 2068},    {"is", 1039},
    {"pl", 1045},    {"cs", 1029},    {"sk", 1051},    {"sl", 1060},    {"hu", 1038},    {"ro", 1048},
    {"hr", 1050},    {"bg", 1026},    {"ru", 1049},    {"uk", 1058},    {"el", 1032},    {"tr", 1055},
    {"et", 1061},    {"lv", 1062},    {"lt", 1063},    {"ca", 1027},    {"he", 1037},    {"ar", 1025},
    {"ja", 1041},    {"ko", 1042},    {"zh", 2052},    {"zh_CN", 2052}, {"zh_TW", 1028},
};

// The locales the language choice knows: number, then "code;name".
struct TKnownLocale {
  int Number;
  std::string_view Entry;
};

constexpr TKnownLocale KnownLocales[] = {
    {1030, "da;Dänisch"},
    {1031, "de;Deutsch (Deutschland)"},
    {1036, "fr;Französisch (Frankreich)"},
    {1043, "nl;Niederländisch (Niederlande)"},
    {2055, "de-ch;Deutsch (Schweiz)"},
    {2060, "fr-be;Französisch (Belgien)"},
    {2067, "nl-be;Niederländisch (Belgien)"},
    {3079, "de-at;Deutsch (Österreich)"},
    {3084, "fr-ca;Französisch (Kanada)"},
    {4103, "de-lu;Deutsch (Luxemburg)"},
    {4108, "fr-ch;Französisch (Schweiz)"},
    {5127, "de-li;Deutsch (Liechtenstein)"},
    {5132, "fr-lu;Französisch (Luxemburg)"},
};

int FindPosix(std::string_view name) {
  for (const TPosixLocale& locale : PosixLocales)
    if (locale.Name == name) return locale.Number;
  return 0;
}

}  // namespace

int LocaleNumberFromPosixName(std::string_view name) {
  name = name.substr(0, name.find_first_of(".@"));
  const size_t underscore = name.find('_');
  std::string language(name.substr(0, underscore));
  for (char& c : language) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
  if (language.size() < 2 || language.size() > 3) return 0;  // also "C" and "POSIX"
  if (underscore != std::string_view::npos) {
    std::string full = language + "_";
    for (char c : name.substr(underscore + 1)) full.push_back((c >= 'a' && c <= 'z') ? char(c - 32) : c);
    if (const int number = FindPosix(full)) return number;
  }
  return FindPosix(language);
}

int SystemLocaleNumber() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LocaleNumberFromPosixName(value);
  }
  return 0;
}

std::string LocaleLanguageCode(int localeNumber) {
  for (const TKnownLocale& locale : KnownLocales)
    if (locale.Number == localeNumber) return std::string(locale.Entry.substr(0, locale.Entry.find(';')));
  return {};
}

std::string LocaleLanguageCode() { return LocaleLanguageCode(SystemLocaleNumber()); }
