#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "core/ErrorList.h"

TEST(ErrorList, DropsARepeatOfThePreviousReportOnly) {
  TErrorList list;
  const double t = EncodeDateTime({2026, 12, 7, 9, 5, 1, 0});
  EXPECT_TRUE(list.Add("23", "Port vanished", t));
  EXPECT_FALSE(list.Add("23", "Port vanished", t));
  EXPECT_TRUE(list.Add("25", "Port vanished", t));  // same text, other location
  EXPECT_TRUE(list.Add("23", "Port vanished", t));  // no longer the previous one
  EXPECT_FALSE(list.Add("1.1", "", t));
  EXPECT_EQ(list.Text(), "09:05:01/23/Port vanished|09:05:01/25/Port vanished|09:05:01/23/Port vanished");
}

TEST(ErrorList, LineEndsBecomeCaretsAndShowAsIndentedLines) {
  TErrorList list;
  const double t = EncodeDateTime({2026, 12, 7, 9, 5, 1, 0});
  list.Add("5.1", "first\r\nsecond", t);
  list.Add("17", "x", t);
  EXPECT_EQ(list.Text(), "09:05:01/5.1/first^second|09:05:01/17/x");
  EXPECT_EQ(list.DisplayText(), "09:05:01/5.1/first\n\tsecond\n09:05:01/17/x");
}

TEST(ErrorsIntern, KeysSortByTimeAndTheOldestGoFirst) {
  const double t = EncodeDateTime({2026, 12, 7, 9, 5, 1, 0});
  EXPECT_LT(std::stod(ErrorsInternKey(t)), std::stod(ErrorsInternKey(t + 1e-5)));
  EXPECT_NE(ErrorsInternKey(t).find('.'), std::string::npos);
  std::vector<std::string> keys;
  for (int i = 25; i >= 0; --i) keys.push_back(ErrorsInternKey(t + i));  // 26, newest first
  const auto drop = ErrorsInternKeysToDrop(keys);
  ASSERT_EQ(drop.size(), 1u);
  EXPECT_EQ(drop[0], ErrorsInternKey(t));
  keys.pop_back();  // 25 left: nothing to drop
  EXPECT_TRUE(ErrorsInternKeysToDrop(keys).empty());
  keys.push_back("99999.5");  // later, with more integer digits: sorts last, not first
  keys.push_back(ErrorsInternKey(t - 100));
  const auto dropTwo = ErrorsInternKeysToDrop(keys);
  ASSERT_EQ(dropTwo.size(), 2u);
  EXPECT_EQ(dropTwo[0], ErrorsInternKey(t - 100));
  EXPECT_EQ(dropTwo[1], ErrorsInternKey(t + 1));
}
