// A receive pipeline fed straight from a ring, its runs recorded.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "RecordingSink.h"
#include "RingTestSupport.h"
#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"

class PipelineTest : public ::testing::Test {
 protected:
  // 2026-12-06 12:03:07.125
  static double At(double secondsAfter = 0) {
    return EncodeDateTime({2026, 12, 6, 12, 3, 7, 125}) + secondsAfter / 86400.0;
  }

  static TSeriellData Byte(std::uint8_t b, std::uint8_t dir, double time) {
    TSeriellData r;
    r.Count = 1;
    r.Data[0] = b;
    r.Dir = dir;
    r.Ready = 1;
    r.Time = time;
    return r;
  }

  static TSeriellData Signals(std::uint16_t signals, std::uint8_t dir, double time) {
    TSeriellData r;
    r.Count = 0;
    r.Signals = signals;
    r.Dir = dir;
    r.Ready = 1;
    r.Time = time;
    return r;
  }

  void SetUp() override {
    AppClosing = false;
    DebugMode = false;
    options.chkCTSDSR = true;
    options.chkError = true;
    pipeline.SetOptions(options);
  }
  void TearDown() override { DebugMode = false; }

  void Apply() { pipeline.SetOptions(options); }

  // One delivery holding these records, with their own times.
  void Deliver(std::initializer_list<TSeriellData> records) { DeliverRecords(pipeline, ring, records); }

  TRxOptions options;
  ReceiveRing ring;
  TRecordingSink sink;
  TReceivePipeline pipeline{sink};
};
