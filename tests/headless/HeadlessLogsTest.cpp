// The terminal front end's logs: restarted from the stored states without a
// dialog, fed by the pipeline, closed at exit.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ReceivePipeline.h"
#include "core/RecordingSink.h"
#include "core/Settings.h"
#include "core/TempDir.h"
#include "headless/HeadlessLogs.h"
#include "core/ReceiveRing.h"
#include "core/RingTestSupport.h"

namespace {

void Deliver(TReceivePipeline& pipeline, ReceiveRing& ring, std::uint8_t byte, std::uint8_t dir) {
  TSeriellData r;
  r.Count = 1;
  r.Data[0] = byte;
  r.Dir = dir;
  r.Ready = 1;
  DeliverRecords(pipeline, ring, {r});
}

}  // namespace

TEST(HeadlessLogs, StoredRunningLogsRestartWithoutADialogAndCloseAtExit) {
  TTempDir dir;
  TSettingsValues values;
  values.FrmMain.SDlg_FileName = dir.File("online.rtf");
  values.FrmMain.chkOnlineLog = true;
  values.FrmMain.SDlgRoh_FileName = dir.File("raw[AB].roh");
  values.FrmMain.chkOnlineRohLog = true;
  values.Log.chkNoPortA = true;

  TRecordingSink trace;
  TReceivePipeline pipeline(trace);
  ReceiveRing ring;
  {
    THeadlessLogs logs(pipeline);
    logs.StartLogsFromSettings(values);
    ASSERT_TRUE(logs.Online().LogReady());
    ASSERT_TRUE(logs.Raw().RawReady());
    EXPECT_TRUE(pipeline.Options().chkNoPortA);
    pipeline.ShowStatusLine("status", false);
    Deliver(pipeline, ring, 'a', dirPortA);
    Deliver(pipeline, ring, 'b', dirPortB);
    logs.Close();
    EXPECT_TRUE(logs.OnlineLogRanAtClose());
    EXPECT_TRUE(logs.RawLogRanAtClose());
    EXPECT_FALSE(logs.Online().Checked());
  }
  const std::string text = TTempDir::Read(dir.File("online.rtf"));
  EXPECT_EQ(text.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(text.find("status"), std::string::npos);
  EXPECT_NE(text.find("\\cf2 b"), std::string::npos);  // port B in red
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '}');
  EXPECT_EQ(TTempDir::Read(dir.File("rawA.roh")), "");
  EXPECT_EQ(TTempDir::Read(dir.File("rawB.roh")), "b");
}

TEST(HeadlessLogs, LogsNotRunningAtExitStayClosedAndBothPortsOutLeavesOneIn) {
  TTempDir dir;
  TSettingsValues values;
  values.FrmMain.SDlg_FileName = dir.File("online.txt");
  values.Log.chkNoPortA = values.Log.chkNoPortB = true;
  TRecordingSink trace;
  TReceivePipeline pipeline(trace);
  THeadlessLogs logs(pipeline);
  logs.StartLogsFromSettings(values);
  pipeline.ShowStatusLine("status", false);
  EXPECT_FALSE(logs.Online().Checked());
  EXPECT_FALSE(std::filesystem::exists(dir.File("online.txt")));
  EXPECT_FALSE(pipeline.Options().chkNoPortA);
  EXPECT_TRUE(pipeline.Options().chkNoPortB);
}
