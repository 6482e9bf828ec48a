#include "core/AboutText.h"

std::string AboutText(std::string_view title, std::string_view versionCaption, std::string_view versionText) {
  std::string text;
  text.reserve(title.size() + versionCaption.size() + versionText.size() + 16);
  text.append("Tamarik\n").append(title).append("\n").append(versionCaption).append(" ").append(versionText);
  return text;
}
