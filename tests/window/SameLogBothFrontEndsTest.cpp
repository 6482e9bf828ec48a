// One settings file, both front ends: the window and the terminal front end
// start from the same Tamarik.ini, receive the same records and must write
// the same online log, byte for byte.
#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "core/DateTime.h"
#include "core/ErrorLogFile.h"
#include "core/Startup.h"
#include "core/TempDir.h"
#include "headless/HeadlessApp.h"
#include "serial/PseudoTerminal.h"
#include "core/ReceiveRing.h"

namespace {

// A "0"/"1" flag string with the given bytes set.
std::string Flags(std::initializer_list<int> bytes) {
  std::string flags(256, '0');
  for (int b : bytes) flags[static_cast<std::size_t>(b)] = '1';
  return flags;
}

struct TStep {
  int Ms;  // after the first record
  std::uint8_t Dir;
  int Byte;  // -1: a signal change alone
  std::uint16_t Signals = 0;
  std::uint16_t LineFlags = 0;
};

// Both directions, a pause, start and stop bytes, controls, bytes above 127,
// a signal change and a framing error; delivered in several batches.
std::vector<std::vector<TSeriellData>> Batches() {
  const std::vector<TStep> steps = {
      {0, dirPortA, 'x'},   {1, dirPortA, 'x'},  {2, dirPortA, 0x02}, {3, dirPortA, 'A'},   {4, dirPortA, 'B'},
      {5, dirPortA, 0x03},  {6, dirPortA, '\n'}, {66, dirPortB, 0x06}, {67, dirPortB, 0x81}, {68, dirPortB, 0x9B},
      {69, dirPortB, 0xE4}, {70, dirPortB, 0x7F}, {71, dirPortB, '\r'}, {72, dirPortB, '\n'},
      {80, dirNone, -1, msCTS1},
      {81, dirPortA, 0x02, msCTS1}, {82, dirPortA, '1', msCTS1}, {83, dirPortA, '2', msCTS1},
      {84, dirPortA, '3', msCTS1, seFE}, {85, dirPortA, '4', msCTS1}, {86, dirPortA, '5', msCTS1},
      {87, dirPortA, 0x03, msCTS1},
      {200, dirPortB, 'S', msCTS1}, {201, dirPortB, 'P', msCTS1}, {202, dirPortB, 0x02, msCTS1},
      {203, dirPortB, '\n', msCTS1}, {204, dirPortA, 0x00, msCTS1}, {205, dirPortA, 0xFF, msCTS1},
  };
  const double start = EncodeDateTime({2026, 12, 6, 12, 3, 7, 125});
  std::vector<std::vector<TSeriellData>> batches(1);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const TStep& s = steps[i];
    TSeriellData r;
    r.RecType = rtSeriell;
    r.Ready = 1;
    r.Dir = s.Dir;
    r.Count = s.Byte < 0 ? 0 : 1;
    r.Data[0] = static_cast<std::uint8_t>(s.Byte < 0 ? 0 : s.Byte);
    r.Signals = s.Signals;
    r.LineFlags = s.LineFlags;
    r.Time = start + s.Ms / 86'400'000.0;
    batches.back().push_back(r);
    if (i == 4 || i == 10 || i == 17) batches.emplace_back();
  }
  return batches;
}

void Deliver(TReceivePipeline& pipeline) {
  auto ring = std::make_unique<ReceiveRing>();
  for (const auto& batch : Batches()) {
    for (const TSeriellData& r : batch) ASSERT_TRUE(ring->Put(r, true));
    int start = 0;
    const int count = ring->ReadyBatch(start);
    pipeline.RxData(*ring, start, count);
    ring->Release(count);
  }
}

struct TLogCase {
  const char* Name;
  std::string Keys;      // section FrmMain, after the interface and log keys
  std::string Sections;  // further sections
  const char* LogName;
  const char* Shows;  // a piece the log must hold, so that two empty logs cannot pass
};
void PrintTo(const TLogCase& c, std::ostream* out) { *out << c.Name; }

class SameLogBothFrontEnds : public ::testing::TestWithParam<TLogCase> {
 protected:
  void SetUp() override { ASSERT_EQ(port_.Open(), 0); }

  // The settings file: mode A on a pseudo-terminal, the online log running.
  void WriteIni(const TTempDir& dir) const {
    const TLogCase& c = GetParam();
    TTempDir::Write(dir.File("Tamarik.ini"),
                    "[Programm]\r\nVersion=V 2.3.2700\r\n[FrmMain]\r\nrgrpA_Checked=1\r\ngrpSSA_ItemIndex_S=" +
                        port_.SlaveName() + "\r\nSDlg_FileName=" + dir.File(c.LogName) +
                        "\r\nchkOnlineLog_Checked=1\r\nSprache=0\r\n" + c.Keys + c.Sections);
  }

  std::string WindowLog() const {
    TTempDir dir;
    WriteIni(dir);
    TErrorLogFile errorLog;
    TStartup startup({{}, dir.Path().string(), "", &errorLog});
    TFrmMain frm(nullptr, &startup);
    frm.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frm.OnlineLog().LogReady());
    Deliver(frm.Pipeline());
    frm.close();
    return TTempDir::Read(dir.File(GetParam().LogName));
  }

  std::string TerminalLog() const {
    TTempDir dir;
    WriteIni(dir);
    TErrorLogFile errorLog;
    TStartup startup({{}, dir.Path().string(), "", &errorLog});
    THeadlessOptions options;
    UseStoredInterface(startup, false, options);
    UseStoredTraceSettings(startup, options);
    {
      THeadlessApp app(options);
      app.StartLogsFromSettings(startup.Settings().Values());
      EXPECT_TRUE(app.Logs().Online().LogReady());
      Deliver(app.Pipeline());
    }
    return TTempDir::Read(dir.File(GetParam().LogName));
  }

  TPseudoTerminal port_;
};

TEST_P(SameLogBothFrontEnds, OnlineLogIsTheSameByteForByte) {
  const std::string window = WindowLog();
  const std::string terminal = TerminalLog();
  EXPECT_NE(window.find(GetParam().Shows), std::string::npos) << window;
  EXPECT_EQ(window, terminal);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SameLogBothFrontEnds,
    ::testing::Values(
        // Everything at its default: the file's defaults are the terminal's.
        TLogCase{"Defaults", "", "", "defaults.txt", "xx[STX]AB[ETX][LF][ACK]"},
        // Hexadecimal page, pause break, a start/stop window that ends the
        // line, no side texts, no time stamps, plain text.
        TLogCase{"HexPauseStartStop",
                 "CodeSeite=4\r\nchkZwPause_Checked=1\r\nedZwPause_Text=50\r\nStart=" + Flags({2}) +
                     "\r\nStop=" + Flags({3}) + "\r\nchkProtWechsel_Checked=1\r\n",
                 "", "hex.txt", "02 41 42 03 \r\n"},
        // ANSI page with a character limit, side texts at both ends, time
        // stamps with milliseconds, end time and difference, a break at a
        // change of direction and after LF, signal changes and line errors,
        // rich text.
        TLogCase{"AnsiLimitSideTextsTimes",
                 "CodeSeite=1\r\nchkZeichBegr_Checked=1\r\nedZeichBegr_Text=4\r\nchkTextBegin_Checked=1\r\n"
                 "chkTextEnde_Checked=1\r\nedtTextPC_Text=>PC\r\nedtTextSPS_Text=<SPS\r\nchkProtZeit_Checked=1\r\n"
                 "chkMs_Checked=1\r\nchkProtZeitEnde_Checked=1\r\nchkProtZeitDiff_Checked=1\r\n"
                 "chkDatenAend_Checked=1\r\nchkCTSDSR_Checked=1\r\nchkError_Checked=1\r\nZeilenw=" +
                     Flags({'\n'}) + "\r\n",
                 "[ProtArt]\r\nchkColorNeg_Checked=1\r\n", "ansi.rtf", "[FE]"},
        // A user page on the hexadecimal page with texts of its own, a stop
        // after three bytes, port B's data kept out of the log.
        TLogCase{"UserPageStopAfterNoPortB",
                 "CodeSeite=5\r\nStart=" + Flags({2}) + "\r\niStopNachZeichen=3\r\n",
                 "[Log]\r\nchkNoPortB_Checked=1\r\n[Codes]\r\nAnzahl=1\r\nSeite1=Mine [HEX]\r\n"
                 "Codes1='<NUL>','01 ','<STX>'\r\n",
                 "user.rtf", "<STX>"}),
    [](const ::testing::TestParamInfo<TLogCase>& info) { return std::string(info.param.Name); });

}  // namespace
