// The central error report. Any thread may call ReportError; the installed
// reporter decides where it goes (the window's error list, the terminal).
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

using TErrorReporter = std::function<void(const std::string& location, const std::string& message)>;

// Installs the reporter; nullptr restores the default (standard error).
void SetErrorReporter(TErrorReporter reporter);

void ReportError(std::string_view location, std::string_view message);
void ReportError(std::string_view location, const std::exception& error);

// An error that names a help context; -1 names none.
class THelpContextError : public std::runtime_error {
 public:
  THelpContextError(const std::string& message, int helpContext)
      : std::runtime_error(message), helpContext_(helpContext) {}
  int HelpContext() const { return helpContext_; }

 private:
  int helpContext_;
};

// The message an error is reported with: its text, followed by a blank and
// the help context when it names one.
std::string ReportedMessage(const std::exception& error);
