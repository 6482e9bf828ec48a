#include "core/ErrorLogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/DateTime.h"

namespace {

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    line.push_back(c == '\r' || c == '\n' ? '^' : c);
  }
  return line;
}

bool AppendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < line.size()) {
    const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

}  // namespace

void TErrorLogFile::SetPath(std::string path) {
  std::lock_guard lock(lock_);
  path_ = std::move(path);
}

std::string TErrorLogFile::Path() const {
  std::lock_guard lock(lock_);
  return path_;
}

bool TErrorLogFile::Write(std::string_view text, double now) {
  if (!Enabled()) return false;
  std::string line = FormatDateTime("yy.mm.dd hh:nn:ss", now);
  line.push_back(' ');
  line.append(OneLine(text)).append("\r\n");
  std::lock_guard lock(lock_);
  return !path_.empty() && AppendLine(path_, line);
}

bool TErrorLogFile::Write(std::string_view text) { return Write(text, NowDateTime()); }

TErrorLogFile& ProgramErrorLog() {
  static TErrorLogFile log;
  return log;
}
