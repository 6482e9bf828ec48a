#include "core/DateTime.h"

#include <langinfo.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as days since 1899-12-30
constexpr std::int64_t kMsPerDay = 86'400'000;

// days from civil (Howard Hinnant's algorithm), relative to 1970-01-01
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

void AppendPadded(std::string& out, long value, int digits) {
  char buf[24];
  int n = 0;
  unsigned long v = value < 0 ? 0 : static_cast<unsigned long>(value);
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  for (int i = n; i < digits; ++i) out += '0';
  while (n > 0) out += buf[--n];
}

}  // namespace

namespace {
// The zone offset changes twice a year at most; asking the C library for it
// on every record would cost more than the rest of the stamp.
std::atomic<std::int64_t> cachedOffsetMinute{-1};
std::atomic<long> cachedOffsetSeconds{0};
}  // namespace

long LocalOffsetSeconds(std::int64_t unixSeconds) {
  const std::int64_t minute = unixSeconds / 60;
  if (cachedOffsetMinute.load(std::memory_order_relaxed) == minute)
    return cachedOffsetSeconds.load(std::memory_order_relaxed);
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  cachedOffsetSeconds.store(local.tm_gmtoff, std::memory_order_relaxed);
  cachedOffsetMinute.store(minute, std::memory_order_relaxed);
  return local.tm_gmtoff;
}

double NowDateTime() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const std::int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  const std::int64_t seconds = us / 1'000'000;
  const double localUs = static_cast<double>(us + static_cast<std::int64_t>(LocalOffsetSeconds(seconds)) * 1'000'000);
  return kUnixEpochDays + localUs / (86'400.0 * 1'000'000.0);
}

double EncodeDateTime(const TDateTimeParts& p) {
  const double days = static_cast<double>(DaysFromCivil(p.Year, p.Month, p.Day)) + kUnixEpochDays;
  const double ms = ((p.Hour * 60.0 + p.Minute) * 60.0 + p.Second) * 1000.0 + p.Millisecond;
  return days + ms / static_cast<double>(kMsPerDay);
}

TDateTimeParts DecodeDateTime(double value) {
  std::int64_t totalMs = std::llround(value * static_cast<double>(kMsPerDay));
  std::int64_t days = totalMs / kMsPerDay;
  std::int64_t msOfDay = totalMs % kMsPerDay;
  if (msOfDay < 0) {
    msOfDay += kMsPerDay;
    --days;
  }
  TDateTimeParts p;
  CivilFromDays(days - static_cast<std::int64_t>(kUnixEpochDays), p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(msOfDay / 3'600'000);
  p.Minute = static_cast<int>(msOfDay / 60'000 % 60);
  p.Second = static_cast<int>(msOfDay / 1000 % 60);
  p.Millisecond = static_cast<int>(msOfDay % 1000);
  return p;
}

std::string FormatDateTime(std::string_view format, double value) {
  std::string out;
  out.reserve(format.size() + 8);
  AppendDateTime(out, format, value);
  return out;
}

void AppendDateTime(std::string& out, std::string_view format, double value) {
  const TDateTimeParts p = DecodeDateTime(value);
  std::size_t i = 0;
  auto starts = [&](std::string_view token) { return format.substr(i, token.size()) == token; };
  while (i < format.size()) {
    if (format[i] == '"') {
      const std::size_t end = format.find('"', i + 1);
      const std::size_t stop = end == std::string_view::npos ? format.size() : end;
      out.append(format.substr(i + 1, stop - i - 1));
      i = stop == format.size() ? stop : stop + 1;
    } else if (starts("yyyy")) {
      AppendPadded(out, p.Year, 4), i += 4;
    } else if (starts("yy")) {
      AppendPadded(out, p.Year % 100, 2), i += 2;
    } else if (starts("mm")) {
      AppendPadded(out, p.Month, 2), i += 2;
    } else if (starts("dd")) {
      AppendPadded(out, p.Day, 2), i += 2;
    } else if (starts("hh")) {
      AppendPadded(out, p.Hour, 2), i += 2;
    } else if (starts("nn")) {
      AppendPadded(out, p.Minute, 2), i += 2;
    } else if (starts("ss")) {
      AppendPadded(out, p.Second, 2), i += 2;
    } else if (starts("zzz")) {
      AppendPadded(out, p.Millisecond, 3), i += 3;
    } else {
      out += format[i++];
    }
  }
}

std::string TimeFmtFromStrftime(std::string_view pattern, bool withMs, bool* ok) {
  // Expand the composite conversions first.
  std::string expanded;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      const char c = pattern[i + 1];
      if (c == 'T') expanded += "%H:%M:%S", ++i;
      else if (c == 'R') expanded += "%H:%M", ++i;
      else if (c == 'r') expanded += "%I:%M:%S %p", ++i;
      else expanded += pattern[i];
    } else {
      expanded += pattern[i];
    }
  }
  std::string fields[3];
  int count = 0;
  std::string separator;
  for (std::size_t i = 0; i + 1 < expanded.size() && count < 3; ++i) {
    if (expanded[i] != '%') continue;
    char c = expanded[i + 1];
    if (c == 'E' || c == 'O') {
      if (i + 2 >= expanded.size()) break;
      c = expanded[++i + 1];
    }
    const char* field = nullptr;
    if (c == 'H' || c == 'I' || c == 'k' || c == 'l') field = "hh";
    else if (c == 'M') field = "nn";
    else if (c == 'S') field = "ss";
    if (field == nullptr) continue;
    fields[count++] = field;
    if (count == 1) {
      const std::size_t next = expanded.find('%', i + 2);
      if (next != std::string::npos) separator = expanded.substr(i + 2, next - i - 2);
    }
    ++i;
  }
  const bool complete = count == 3 && !separator.empty() &&
                        fields[0] != fields[1] && fields[1] != fields[2] && fields[0] != fields[2];
  if (ok) *ok = complete;
  std::string result;
  if (!complete) {
    result = "hh:nn:ss";
  } else {
    for (int f = 0; f < 3; ++f) {
      if (f > 0) result += separator;
      result += fields[f];
    }
  }
  if (withMs) {
    const std::size_t ss = result.find("ss");
    result.insert(ss + 2, ".zzz");
  }
  return result;
}

std::string BuildTimeFmt(bool withMs, bool* ok) {
  const char* pattern = nl_langinfo(T_FMT);
  return TimeFmtFromStrftime(pattern ? pattern : "", withMs, ok);
}

std::string ShortDateFmt() {
  const char* pattern = nl_langinfo(D_FMT);
  std::string_view p = pattern ? pattern : "";
  std::string out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] != '%' || i + 1 >= p.size()) {
      out += p[i];
      continue;
    }
    const char c = p[++i];
    if (c == 'd' || c == 'e') out += "dd";
    else if (c == 'm') out += "mm";
    else if (c == 'Y') out += "yyyy";
    else if (c == 'y') out += "yy";
    else if (c == 'D') out += "mm/dd/yy";
    else if (c == 'F') out += "yyyy-mm-dd";
  }
  if (out.find("dd") == std::string::npos || out.find("mm") == std::string::npos) return "dd.mm.yyyy";
  return out;
}
