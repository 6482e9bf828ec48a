// Where the program finds what it ships and where it writes. Started from
// its build folder or an unpacked copy, everything sits beside the program;
// installed, the shipped files sit in the prefix's share/tamarik and what the
// program writes goes to a folder the user can write.
#pragma once

#include <string>

// The folder of the shipped files (help pages, language templates): beside
// the program when its help pages are there, else <prefix>/share/tamarik
// when that exists, else beside the program.
std::string ProgramDataDirectory(const std::string& programDir);
// The help pages, one folder per language.
std::string HelpFolder(const std::string& programDir);
// The shipped files are in the prefix, not beside the program.
bool InstalledProgram(const std::string& programDir);
// True when the help pages are there.
bool HelpPagesPresent(const std::string& programDir);

// $XDG_CONFIG_HOME/tamarik, or ~/.config/tamarik; empty when neither is known.
std::string UserConfigDirectory();
// The same folder, created when missing; empty when it cannot be made.
std::string MakeUserConfigDirectory();

// Language.txt: beside the program when it is there and writable, or when
// it is not there yet and the program is a writable portable copy;
// otherwise in the user's configuration folder.
std::string LanguageFileFor(const std::string& programDir);
// The language templates shipped with an installed program; empty when none.
std::string InstalledLanguageTemplates(const std::string& programDir);
