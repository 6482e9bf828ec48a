// CAN and measurement lines in the terminal front end: the stored filter of
// Tamarik.ini applies, and the lines reach the terminal and the online log
// in their colours.
#include <gtest/gtest.h>

#include "core/CanRecordSupport.h"
#include "core/CodePageList.h"
#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"
#include "core/RingTestSupport.h"
#include "core/RecordingSink.h"
#include "core/Settings.h"
#include "core/StoredRxOptions.h"
#include "core/TempDir.h"
#include "headless/AnsiTerminal.h"
#include "headless/HeadlessLogs.h"

namespace {

void DeliverFrame(TReceivePipeline& pipeline, ReceiveRing& ring, int seq, std::uint32_t ident) {
  DeliverRecords(pipeline, ring, {CanFrameRecord(seq, ident, {0x42})});
}

}  // namespace

TEST(HeadlessCanTrace, TheStoredFilterAppliesAndLinesReachTerminalAndLog) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"),
                  "[FrmMain]\r\nrgrpG_Checked=1\r\nrgrpA_Checked=0\r\n"
                  "[USB-CAN-Filter]\r\nlstCANFilter_1=100-1FF\r\n");
  TSettings settings(dir.Path().string());
  settings.Load();
  settings.Values().FrmMain.SDlg_FileName = dir.File("online.rtf");
  settings.Values().FrmMain.chkOnlineLog = true;
  TRecordingSink trace;
  TReceivePipeline pipeline(trace);
  pipeline.SetOptions(RxOptionsFromSettings(settings.Values(), settings.CodePages(), 440, "hh:nn:ss"));
  ReceiveRing ring;
  {
    THeadlessLogs logs(pipeline);
    logs.StartLogsFromSettings(settings.Values());
    ASSERT_TRUE(logs.Online().LogReady());
    DeliverFrame(pipeline, ring, 1, 0x123);
    DeliverFrame(pipeline, ring, 2, 0x222);  // filtered out
    DeliverFrame(pipeline, ring, 4, 0x1FF);  // 3 lost
    logs.Close();
  }
  EXPECT_EQ(trace.All, "No: 01 ID11:      123     DLC: 1 >  42\r\nNo: 04 ID11:      1FF     DLC: 1 >  42\r\n");
  ASSERT_EQ(trace.Runs.size(), 2u);
  EXPECT_EQ(TAnsiTerminal::Render(trace.Runs[1].Text, trace.Runs[1].Color, true),
            "\x1b[38;2;0;0;255mNo: 04 ID11:      1FF     DLC: 1 >  42\n\x1b[0m");
  const std::string log = TTempDir::Read(dir.File("online.rtf"));
  EXPECT_NE(log.find("No: 01 ID11:      123"), std::string::npos);
  EXPECT_EQ(log.find("222"), std::string::npos);
  EXPECT_NE(log.find("\\cf3 No: 04"), std::string::npos);  // blue
}
