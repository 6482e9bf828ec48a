// The error list of the Info page and the ErrorsIntern entries: which
// reports are kept and how they are written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TErrorList {
 public:
  // Adds a report made at `now`. A report equal in message and location to
  // the previous one, or with an empty message, is dropped (false).
  bool Add(std::string_view location, std::string_view message, double now);

  // Entries "hh:nn:ss/location/message" joined by "|"; CR LF in a message is "^".
  const std::string& Text() const { return text_; }
  // The list as the label shows it: "|" a line break, "^" a line break and a tab.
  std::string DisplayText() const;
  void Clear();

 private:
  std::string text_;
  std::string previousLocation_;
  std::string previousMessage_;
  bool hasPrevious_ = false;
};

// The key of an ErrorsIntern entry made at `now`: days since 1899-12-30
// minus 38000, "." as decimal separator, so that keys sort by time.
std::string ErrorsInternKey(double now);
// The keys to delete before a new entry so that at most 25 remain (oldest first).
std::vector<std::string> ErrorsInternKeysToDrop(std::vector<std::string> keys);
