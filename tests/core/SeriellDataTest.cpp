#include <gtest/gtest.h>

#include "SeriellData.h"

TEST(SeriellData, ExchangeLayoutPutsEveryFieldAtItsOffsetLittleEndian) {
  TSeriellData r;
  r.Kind = 4;
  r.RecType = rtCAN;
  r.Ready = 1;
  r.Ident = 0x12345678;
  r.Count = 3;
  r.Data = {1, 2, 3, 4, 5, 6, 7, 8};
  r.Dir = dirUSBCAN2;
  r.LineFlags = seBI | seOE;
  r.Signals = 0x0102;
  r.Info = 0x0A0B0C0D;
  r.Time = 46000.5;
  r.SubMs = 999;
  const TSeriellDataBytes b = ToExchangeBytes(r);
  EXPECT_EQ(b[4], 4);
  EXPECT_EQ(b[8], rtCAN);
  EXPECT_EQ(b[12], 1);
  EXPECT_EQ(b[16], 0x78);
  EXPECT_EQ(b[19], 0x12);
  EXPECT_EQ(b[20], 3);
  EXPECT_EQ(b[24], 1);
  EXPECT_EQ(b[31], 8);
  EXPECT_EQ(b[32], dirUSBCAN2);
  EXPECT_EQ(b[33], 0x12);
  EXPECT_EQ(b[34], 0x00);
  EXPECT_EQ(b[35], 0x02);
  EXPECT_EQ(b[36], 0x01);
  EXPECT_EQ(b[40], 0x0D);
  EXPECT_EQ(b[56], 0xE7);
  EXPECT_EQ(b[57], 0x03);
  const TSeriellData back = FromExchangeBytes(b);
  EXPECT_EQ(back.Ident, r.Ident);
  EXPECT_EQ(back.Signals, r.Signals);
  EXPECT_EQ(back.LineFlags, r.LineFlags);
  EXPECT_DOUBLE_EQ(back.Time, r.Time);
  EXPECT_EQ(back.Data, r.Data);
  EXPECT_EQ(back.SubMs, 999);
}
