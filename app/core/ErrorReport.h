// The central error report. Any thread may call ReportError; the installed
// reporter decides where it goes (the window's error list, the terminal).
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

using TErrorReporter = std::function<void(const std::string& location, const std::string& message)>;

// Installs the reporter; nullptr restores the default (standard error).
void SetErrorReporter(TErrorReporter reporter);

void ReportError(std::string_view location, std::string_view message);
void ReportError(std::string_view location, const std::exception& error);
