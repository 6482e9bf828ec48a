// The system language at the first start. Locales are numbered as the
// settings and the language choice know them (1031 German, 2055 Swiss German,
// 1033 US English, …); the POSIX locale of the process is mapped onto them.
#pragma once

#include <string>
#include <string_view>

// A POSIX locale name such as "de_CH.UTF-8" or "fr_BE@euro" as a locale
// number; a language alone or with a territory not listed gives the
// language's main locale; 0 for "C", "POSIX" and unknown languages.
int LocaleNumberFromPosixName(std::string_view name);

// The locale number of the process: LC_ALL, else LC_MESSAGES, else LANG.
int SystemLocaleNumber();

// The language code of a locale number ("de", "de-ch", "fr-be", …) for the
// languages the program carries; empty for any other locale.
std::string LocaleLanguageCode(int localeNumber);

// LocaleLanguageCode of the system locale.
std::string LocaleLanguageCode();
