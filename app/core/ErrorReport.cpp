#include "core/ErrorReport.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex reporterLock;
TErrorReporter installed;
}  // namespace

void SetErrorReporter(TErrorReporter reporter) {
  std::lock_guard lock(reporterLock);
  installed = std::move(reporter);
}

void ReportError(std::string_view location, std::string_view message) {
  TErrorReporter reporter;
  {
    std::lock_guard lock(reporterLock);
    reporter = installed;
  }
  const std::string loc(location), msg(message);
  if (reporter) {
    reporter(loc, msg);
    return;
  }
  std::fprintf(stderr, "Error %s: %s\n", loc.c_str(), msg.c_str());
}

void ReportError(std::string_view location, const std::exception& error) {
  ReportError(location, ReportedMessage(error));
}

std::string ReportedMessage(const std::exception& error) {
  std::string message = error.what();
  if (const auto* withContext = dynamic_cast<const THelpContextError*>(&error))
    if (withContext->HelpContext() != -1) message.append(" ").append(std::to_string(withContext->HelpContext()));
  return message;
}
