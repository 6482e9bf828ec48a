#include <gtest/gtest.h>

#include <chrono>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "core/AppFlags.h"
#include "core/ErrorLogFile.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/Shutdown.h"
#include "core/Startup.h"
#include "core/SystemFormats.h"

namespace {

TStartupOptions Options(std::vector<std::string> args, const std::string& programDir, TErrorLogFile& log) {
  TStartupOptions options;
  options.Arguments = std::move(args);
  options.ProgramDir = programDir;
  options.ErrorLog = &log;
  return options;
}

std::vector<std::string> LogLines(const std::string& dir) {
  std::vector<std::string> lines = FileLines(TTempDir::Read(dir + "/TamarikErr.log"));
  for (std::string& line : lines) line.erase(0, std::min<std::size_t>(line.size(), 18));  // the time stamp
  return lines;
}

}  // namespace

TEST(Startup, AnotherWorkingDirectoryHoldsTheSettingsAndTheLogButNotTheHelpFile) {
  TTempDir work, program;
  std::filesystem::create_directories(program.Path() / "help" / "de");
  TTempDir::Write(work.File("Tamarik.ini"), "[FrmMain]\r\nLeft=42\r\n");
  TErrorLogFile log;
  {
    TChangeDir inWork(work.Path());
    TStartup startup(Options({"/ERRLOG", "x"}, program.Path().string(), log));
    EXPECT_EQ(startup.StartDir(), work.Path().string());
    EXPECT_EQ(startup.Settings().IniPath(), work.File("Tamarik.ini"));
    EXPECT_EQ(startup.Settings().Values().FrmMain.Left, 42);
    EXPECT_EQ(startup.HelpFile(), program.File("help"));
    EXPECT_TRUE(startup.FoundHelpFile());
    TShutdown shutdown(startup);
    shutdown.BeginClose();
    EXPECT_TRUE(shutdown.WriteSettings(startup.SysTest()));
    shutdown.Destroyed();
  }
  EXPECT_EQ(LogLines(work.Path().string()),
            (std::vector<std::string>{"Startup Tamarik. /ERRLOG x", "Close Tamarik."}));
  EXPECT_FALSE(std::filesystem::exists(program.File("Tamarik.ini")));
  EXPECT_FALSE(std::filesystem::exists(program.File("TamarikErr.log")));
  EXPECT_EQ(TIniFile(work.File("Tamarik.ini")).ReadInteger("FrmMain", "Left", 0), 42);
}

TEST(Startup, WithoutHelpPagesBesideTheProgramOrInItsPrefixNoneAreFound) {
  TTempDir work, program;
  TTempDir::Write(program.File("Tamarik.chm"), "an old help file is not the help");
  TErrorLogFile log;
  TChangeDir inWork(work.Path());
  TStartup startup(Options({}, program.Path().string(), log));
  EXPECT_EQ(startup.HelpFile(), program.File("help"));
  EXPECT_FALSE(startup.FoundHelpFile());
}

TEST(Startup, SwitchesIgnoreCaseButTheServiceSwitch) {
  TTempDir work;
  TErrorLogFile log;
  TChangeDir inWork(work.Path());
  {
    TStartup startup(Options({"/errlog", "/DebugMode", "/tcpoff", "/quorvent"}, "", log));
    EXPECT_TRUE(log.Enabled());
    EXPECT_TRUE(DebugMode.load());
    EXPECT_TRUE(TcpOff.load());
    EXPECT_FALSE(ServiceMode.load());
    EXPECT_FALSE(AppClosing.load());
  }
  EXPECT_EQ(LogLines(work.Path().string()),
            (std::vector<std::string>{"Startup Tamarik. /errlog /DebugMode /tcpoff /quorvent", "DebugMode active."}));
  TStartup startup(Options({"/Quorvent"}, "", log));
  EXPECT_TRUE(ServiceMode.load());
  EXPECT_FALSE(DebugMode.load());
  EXPECT_FALSE(TcpOff.load());
  EXPECT_FALSE(log.Enabled());
}

TEST(Startup, ClosingWritesTheSettingsOnceWithVersionLogStatesAndSysTest) {
  TTempDir work;
  TErrorLogFile log;
  TChangeDir inWork(work.Path());
  TStartup startup(Options({}, "", log));
  ReportError("5.1", "something failed");
  TShutdown shutdown(startup);
  shutdown.BeginClose();
  EXPECT_TRUE(AppClosing.load());
  shutdown.RememberLogStates(true, true);
  TSysTestInfo sysTest = startup.SysTest();
  sysTest.SysColorCount = ColorCountOfDepth(32);
  sysTest.SerialPorts = {"ttyS0", "ttyUSB0"};
  EXPECT_TRUE(shutdown.WriteSettings(sysTest));
  EXPECT_FALSE(shutdown.WriteSettings(sysTest));  // once
  const TIniFile ini(work.File("Tamarik.ini"));
  EXPECT_EQ(ini.ReadString("Programm", "Version", ""), TLanguage::RunningVersion());
  EXPECT_TRUE(ini.ReadBool("FrmMain", "chkOnlineLog_Checked", false));
  EXPECT_TRUE(ini.ReadBool("FrmMain", "chkOnlineRohLog_Checked", false));
  EXPECT_EQ(ini.ReadString("SysTest", "Win32Platform", ""), "Linux");
  EXPECT_EQ(ini.ReadString("SysTest", "Win32Version", ""), KernelRelease());
  EXPECT_EQ(ini.ReadInteger("SysTest", "SysColorCount", 0), 1 << 24);
  EXPECT_EQ(ini.ReadString("SysTest", "grpSSA_Items_Text", ""), "ttyS0, ttyUSB0");
  EXPECT_NE(ini.ReadString("SysTest", "sErrorString", "").find("/5.1/something failed"), std::string::npos);
  EXPECT_FALSE(ini.ValueExists("SysTest", "sUSBDspyV"));
  EXPECT_EQ(ini.ReadSection("ErrorsIntern").size(), 1u);
}

TEST(Startup, AReadOnlySettingsFileIsUnchangedAfterARunWithErrors) {
  TTempDir work;
  const std::string path = work.File("Tamarik.ini");
  const std::string bytes = "[Programm]\nVersion=V 2.2.2700\n[FrmMain]\nchkMs_Checked=1\n";
  TTempDir::Write(path, bytes);
  ::chmod(path.c_str(), 0444);
  TErrorLogFile log;
  TChangeDir inWork(work.Path());
  {
    TStartup startup(Options({}, "", log));
    EXPECT_TRUE(IniReadOnly.load());
    EXPECT_NE(startup.TimeFmt().find(".zzz"), std::string::npos);
    ReportError("5.1", "an error during the run");
    TShutdown shutdown(startup);
    shutdown.BeginClose();
    EXPECT_FALSE(shutdown.WriteSettings(startup.SysTest()));
    shutdown.Destroyed();
  }
  EXPECT_EQ(TTempDir::Read(path), bytes);
}

TEST(Startup, TheDateFormatKeepsTheSystemsOrderWithTwoDigitDayMonthAndFourDigitYear) {
  bool ok = false;
  EXPECT_EQ(ShortDateFmtFromStrftime("%d.%m.%Y", &ok), "dd.mm.yyyy");
  EXPECT_TRUE(ok);
  EXPECT_EQ(ShortDateFmtFromStrftime("%m/%d/%y"), "mm/dd/yyyy");
  EXPECT_EQ(ShortDateFmtFromStrftime("%F"), "yyyy-mm-dd");
  EXPECT_EQ(ShortDateFmtFromStrftime("%e/%m/%Ey"), "dd/mm/yyyy");
  EXPECT_EQ(ShortDateFmtFromStrftime("%Y%m%d", &ok), "dd.mm.yyyy");
  EXPECT_FALSE(ok);
  EXPECT_EQ(ShortDateFmtFromStrftime("%A %B", &ok), "dd.mm.yyyy");
  EXPECT_FALSE(ok);
}

TEST(Shutdown, Timer1EndsTheProgramTenSecondsAfterTheFirstTickThatSawClosing) {
  using namespace std::chrono_literals;
  TDelayedShutdown timer;
  const auto t0 = TDelayedShutdown::TClock::time_point{} + 1000s;
  EXPECT_FALSE(timer.Tick(false, t0));
  EXPECT_FALSE(timer.Tick(false, t0 + 60s));  // not closing: no count yet
  EXPECT_FALSE(timer.Tick(true, t0 + 61s));
  EXPECT_FALSE(timer.Tick(true, t0 + 70s));
  EXPECT_TRUE(timer.Tick(true, t0 + 71s));
}
