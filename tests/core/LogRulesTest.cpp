#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "core/LogNames.h"
#include "core/LogOptions.h"

namespace {

double At(int year, int month, int day, int hour, int minute) {
  TDateTimeParts p;
  p.Year = year, p.Month = month, p.Day = day, p.Hour = hour, p.Minute = minute;
  return EncodeDateTime(p);
}

TEST(LogRotationRule, EachChoiceNeedsItsPlaceholder) {
  const double start = At(2026, 12, 6, 22, 37);
  const double nextHour = At(2026, 12, 6, 23, 0);
  const double nextDay = At(2026, 12, 7, 0, 1);
  const TLogLimit hourly{true, 1}, daily{true, 2}, sized{true, 3};

  EXPECT_TRUE(LogRotationDue(hourly, nkDateTime, start, nextHour, 0));
  EXPECT_FALSE(LogRotationDue(hourly, nkDateTime, start, At(2026, 12, 6, 22, 59), 0));
  EXPECT_FALSE(LogRotationDue(hourly, nkDate, start, nextDay, 0));
  EXPECT_TRUE(LogRotationDue(daily, nkDate, start, nextDay, 0));
  EXPECT_TRUE(LogRotationDue(daily, nkDateTime, start, nextDay, 0));
  EXPECT_FALSE(LogRotationDue(daily, nkTime, start, nextDay, 0));
  EXPECT_FALSE(LogRotationDue(daily, nkDate, start, nextHour, 0));
  EXPECT_TRUE(LogRotationDue(sized, nkDateTime, start, start, kLogFileSizeLimit + 1));
  EXPECT_FALSE(LogRotationDue(sized, nkDateTime, start, nextDay, kLogFileSizeLimit));
  EXPECT_FALSE(LogRotationDue(sized, nkDate, start, start, 5 * kLogFileSizeLimit));
  EXPECT_FALSE(LogRotationDue({false, 1}, nkDateTime, start, nextDay, 5 * kLogFileSizeLimit));
}

TEST(LogRotationRule, SameHourOrDayOfAnotherDateStillRotates) {
  const double start = At(2026, 12, 6, 22, 37);
  EXPECT_TRUE(LogRotationDue({true, 1}, nkDateTime, start, At(2026, 12, 7, 22, 40), 0));
  EXPECT_TRUE(LogRotationDue({true, 2}, nkDate, start, At(2027, 1, 6, 10, 0), 0));
}

TEST(NoPortBoxes, CheckingOneUnchecksTheOther) {
  TNoPortFlags flags = ClickNoPort({}, true, true);
  EXPECT_TRUE(flags.chkNoPortA);
  flags = ClickNoPort(flags, false, true);
  EXPECT_FALSE(flags.chkNoPortA);
  EXPECT_TRUE(flags.chkNoPortB);
  flags = ClickNoPort(flags, false, false);
  EXPECT_FALSE(flags.chkNoPortA);
  EXPECT_FALSE(flags.chkNoPortB);
}

TEST(LogNames, ExtensionsAndSides) {
  EXPECT_FALSE(LogNameHasExtension("/tmp/a.b/log[DATETIME]"));
  EXPECT_FALSE(LogNameHasExtension("log[DATE][TIME]"));
  EXPECT_TRUE(LogNameHasExtension("log[DATETIME].txt"));
  EXPECT_EQ(OnlineLogFilterFor("x.RTF", 1), 2);
  EXPECT_EQ(OnlineLogFilterFor("x.txt", 1), 3);
  EXPECT_EQ(OnlineLogFilterFor("x.log", 2), 2);

  const TRawLogPaths ab = SplitRawLogName("/d/raw[ab].roh");
  EXPECT_EQ(ab.A, "/d/rawA.roh");
  EXPECT_EQ(ab.B, "/d/rawB.roh");
  const TRawLogPaths one = SplitRawLogName("/d/raw.roh");
  EXPECT_EQ(one.A, "/d/raw.roh");
  EXPECT_TRUE(one.B.empty());
}

}  // namespace
