#include "core/ErrorList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/DateTime.h"

bool TErrorList::Add(std::string_view location, std::string_view message, double now) {
  if (hasPrevious_ && location == previousLocation_ && message == previousMessage_) return false;
  if (message.empty()) return false;
  hasPrevious_ = true;
  previousLocation_ = location;
  previousMessage_ = message;
  std::string flat;
  flat.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') {
      flat.push_back('^');
      ++i;
    } else {
      flat.push_back(message[i]);
    }
  }
  if (!text_.empty()) text_.push_back('|');
  text_.append(FormatDateTime("hh:nn:ss", now)).append("/").append(location).append("/").append(flat);
  return true;
}

std::string TErrorList::DisplayText() const {
  std::string out;
  out.reserve(text_.size() + 16);
  for (char c : text_) {
    if (c == '|') out.push_back('\n');
    else if (c == '^') out.append("\n\t");
    else out.push_back(c);
  }
  return out;
}

void TErrorList::Clear() {
  text_.clear();
  hasPrevious_ = false;
}

std::string ErrorsInternKey(double now) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10f", now - 38000.0);
  return buf;  // "C" locale formatting: always "."
}

std::vector<std::string> ErrorsInternKeysToDrop(std::vector<std::string> keys) {
  // Numeric order, so that a key with more integer digits sorts after.
  std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
    return std::strtod(a.c_str(), nullptr) < std::strtod(b.c_str(), nullptr);
  });
  std::vector<std::string> drop;
  for (std::size_t i = 0; keys.size() - i > 25; ++i) drop.push_back(keys[i]);
  return drop;
}
