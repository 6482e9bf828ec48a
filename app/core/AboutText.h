// The text of the "/?" box, shared by the window and the terminal.
#pragma once

#include <string>
#include <string_view>

// "Tamarik", a line break, the Info page's title, a line break, the caption
// "Version:", a blank and the version text.
std::string AboutText(std::string_view title, std::string_view versionCaption, std::string_view versionText);
