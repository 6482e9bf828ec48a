#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "core/TraceStatusLines.h"

namespace {
double At(int hour, int minute, int second, int ms = 0) { return EncodeDateTime({2026, 12, 6, hour, minute, second, ms}); }
}  // namespace

// The entry written at 22:37:40 takes 22:37:00 as its reference: with two
// minutes, the next one is due at 22:39:00, not at 22:39:40.
TEST(PeriodicDateEntry, FirstAtTheNextCheckThenCountedFromTheWholeMinute) {
  TPeriodicDateEntry entry;
  entry.SetMinutes(2);
  entry.Arm(At(22, 37, 40));
  const auto first = entry.Check(At(22, 37, 40, 500), "dd.mm.yyyy", "hh:nn:ss");
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, "06.12.2026 22:37:40: ");
  EXPECT_FALSE(entry.Check(At(22, 38, 59, 900), "dd.mm.yyyy", "hh:nn:ss"));
  EXPECT_TRUE(entry.Check(At(22, 39, 0, 100), "dd.mm.yyyy", "hh:nn:ss"));
  entry.SetMinutes(0);
  EXPECT_FALSE(entry.Check(At(23, 59, 0), "dd.mm.yyyy", "hh:nn:ss"));
}
