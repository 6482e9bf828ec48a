// The program itself, without a window, started in a working directory of
// its own: settings and error log there, a clean end on SIGTERM and after
// --seconds, a read-only settings file left alone, settings kept across runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>

#include "ProgramRun.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/TempDir.h"
#include "serial/PseudoTerminal.h"

namespace {

TProgramResult RunFor1Second(const std::string& workDir, std::vector<std::string> extra = {},
                             const std::string& program = TamarikProgram()) {
  std::vector<std::string> args{"--headless", "--seconds", "1"};
  args.insert(args.end(), extra.begin(), extra.end());
  TProgramRun run(program, args, workDir);
  return run.Finish();
}

std::string IniOf(const TTempDir& dir) { return dir.File("Tamarik.ini"); }

// A folder beside the program (so that a hard link to it can be made there).
class TFolderBesideProgram {
 public:
  TFolderBesideProgram() {
    std::string pattern = (std::filesystem::path(TamarikProgram()).parent_path() / "run-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data())) path_ = made;
  }
  ~TFolderBesideProgram() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

TEST(HeadlessRun, EndsAfterItsSecondsWithSettingsAndErrorLogInTheWorkingDirectory) {
  TTempDir work;
  const TProgramResult result = RunFor1Second(work.Path().string(), {"/ERRLOG"});
  EXPECT_TRUE(result.Exited);
  EXPECT_EQ(result.ExitStatus, 0) << result.Err;
  ASSERT_TRUE(std::filesystem::exists(IniOf(work)));
  TIniFile ini(IniOf(work));
  EXPECT_EQ(ini.ReadString("Programm", "Version", ""), TLanguage::RunningVersion());
  EXPECT_TRUE(ini.SectionExists("SysTest"));
  const std::string log = TTempDir::Read(work.File("TamarikErr.log"));
  EXPECT_NE(log.find(" Startup Tamarik. --headless --seconds 1 /ERRLOG\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" Close Tamarik.\r\n"), std::string::npos) << log;
}

TEST(HeadlessRun, SigtermEndsTheRunCleanlyAndWritesTheSettings) {
  for (int stop : {SIGTERM, SIGINT}) {
    TTempDir work;
    TProgramRun run(TamarikProgram(), {"--headless"}, work.Path().string());
    ASSERT_TRUE(run.WaitForOutput());
    run.Signal(stop);
    const TProgramResult result = run.Finish();
    EXPECT_TRUE(result.Exited) << "signal " << stop;
    EXPECT_EQ(result.ExitStatus, 0) << result.Err;
    EXPECT_TRUE(std::filesystem::exists(IniOf(work)));
  }
}

TEST(HeadlessRun, ReadOnlySettingsFileStaysByteForByte) {
  TTempDir work;
  const std::string bytes = "[FrmMain]\r\nLeft=77\r\nedtTextPC_Text=> vom Leitrechner\r\n; a comment\r\n";
  TTempDir::Write(IniOf(work), bytes);
  ASSERT_EQ(::chmod(IniOf(work).c_str(), 0444), 0);
  EXPECT_EQ(RunFor1Second(work.Path().string()).ExitStatus, 0);
  EXPECT_EQ(TTempDir::Read(IniOf(work)), bytes);
  // An error reported during the run (kept in ErrorsIntern otherwise) must
  // not slip into the file either.
  const TProgramResult failed = RunFor1Second(work.Path().string(), {"--mode", "200", "--port-a", "ttyS0"});
  EXPECT_NE(failed.Err.find("needs --port-a and --port-b"), std::string::npos) << failed.Err;
  EXPECT_EQ(TTempDir::Read(IniOf(work)), bytes);
}

TEST(HeadlessRun, SettingsChangedBetweenRunsAreWrittenBackUnchanged) {
  TTempDir work;
  ASSERT_EQ(RunFor1Second(work.Path().string()).ExitStatus, 0);
  {
    TIniFile ini(IniOf(work));
    ini.WriteInteger("FrmMain", "Left", 77);
    ini.WriteInteger("FrmMain", "Top", 66);
    ini.WriteInteger("FrmMain", "WindowState", 2);
    ini.WriteString("FrmMain", "edtTextPC_Text", "> vom Leitrechner");
    ini.WriteInteger("FrmMain", "grpBaud_ItemIndex", 3);
    ini.WriteBool("FrmMain", "chkSound_Checked", true);
    ini.WriteBool("FrmMain", "chkOnlineLog_Checked", true);
    ini.WriteBool("FrmMain", "chkOnlineRohLog_Checked", true);
    ini.WriteString("FrmMain", "Zeilenw", std::string(10, '0') + "1" + std::string(245, '0'));
    ini.WriteBool("ProtArt", "chkColorNeg_Checked", true);
    ini.WriteBool("Log", "chkLogFile_Checked", false);
    ASSERT_TRUE(ini.UpdateFile());
  }
  const TIniFile changed(IniOf(work));
  ASSERT_EQ(RunFor1Second(work.Path().string()).ExitStatus, 0);
  const TIniFile written(IniOf(work));
  int compared = 0;
  for (const std::string& section : changed.ReadSections()) {
    if (section == "Programm" || section == "SysTest" || section == "ErrorsIntern") continue;
    for (const std::string& key : changed.ReadSection(section)) {
      EXPECT_EQ(written.ReadRawString(section, key, "<missing>"), changed.ReadRawString(section, key, ""))
          << section << "/" << key;
      ++compared;
    }
  }
  EXPECT_GT(compared, 50);
}

TEST(HeadlessRun, MessagesComeInTheStoredLanguage) {
  TPseudoTerminal line;
  ASSERT_EQ(line.Open(), 0);
  TTempDir work;
  TTempDir::Write(IniOf(work), "[FrmMain]\r\nSprache=1\r\nrgrpA_Checked=0\r\nrgrpE_Checked=1\r\ngrpSSA_ItemIndex_S=" +
                                   line.SlaveName() + "\r\ngrpSSB_ItemIndex_S=" + line.SlaveName() + "\r\n");
  const TProgramResult result = RunFor1Second(work.Path().string());
  EXPECT_NE(result.Err.find("Interface A and B must be different!"), std::string::npos) << result.Err;
  EXPECT_EQ(TIniFile(IniOf(work)).ReadInteger("FrmMain", "Sprache", -2), 1);
}

TEST(HeadlessRun, HelpFileIsLookedForBesideTheProgramNotInTheWorkingDirectory) {
  TFolderBesideProgram programDir;
  ASSERT_FALSE(programDir.Path().empty());
  const std::filesystem::path program = programDir.Path() / "tamarik";
  std::error_code ec;
  std::filesystem::create_hard_link(TamarikProgram(), program, ec);
  if (ec) std::filesystem::copy_file(TamarikProgram(), program, ec);
  ASSERT_FALSE(ec) << ec.message();
  std::filesystem::create_directories(programDir.Path() / "help" / "de");

  TTempDir work;
  EXPECT_EQ(RunFor1Second(work.Path().string(), {"/ERRLOG"}, program.string()).ExitStatus, 0);
  EXPECT_TRUE(TIniFile(IniOf(work)).ReadBool("SysTest", "FoundHelpFile", false));
  EXPECT_TRUE(std::filesystem::exists(work.File("TamarikErr.log")));
  EXPECT_FALSE(std::filesystem::exists(programDir.Path() / "Tamarik.ini"));
  EXPECT_FALSE(std::filesystem::exists(programDir.Path() / "TamarikErr.log"));

  // The same program started without the help file beside it.
  std::filesystem::remove_all(programDir.Path() / "help");
  EXPECT_EQ(RunFor1Second(work.Path().string(), {}, program.string()).ExitStatus, 0);
  EXPECT_FALSE(TIniFile(IniOf(work)).ReadBool("SysTest", "FoundHelpFile", true));
}

TEST(HeadlessRun, QuestionMarkShowsTheVersionLinesAndTheRunGoesOn) {
  TTempDir work;
  const std::string lines = "Tamarik\n" + GetText(1311) + "\nVersion: " + TLanguage::RunningVersion() + "\n";
  for (const char* ask : {"/?", "?"}) {
    const TProgramResult result = RunFor1Second(work.Path().string(), {ask});
    EXPECT_EQ(result.ExitStatus, 0) << ask;
    EXPECT_NE(result.Out.find(lines), std::string::npos) << ask << ": " << result.Out;
    EXPECT_TRUE(std::filesystem::exists(IniOf(work)));
  }
}

// --help and --version print and end at once; an unknown option is named.
TEST(HeadlessRun, HelpAndVersionPrintAndEndUnknownOptionsEndWithStatus2) {
  TTempDir work;
  const auto run = [&](const std::string& arg) { return TProgramRun(TamarikProgram(), {arg}, work.Path().string()).Finish(); };
  TProgramResult result = run("--help");
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_NE(result.Out.find("--port-a NAME"), std::string::npos) << result.Out;
  result = run("--version");
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Out, "tamarik " + TLanguage::RunningVersion().substr(2) + "\n");
  result = run("--bogus");
  EXPECT_EQ(result.ExitStatus, 2);
  EXPECT_NE(result.Err.find("--bogus"), std::string::npos) << result.Err;
  EXPECT_TRUE(result.Out.empty());
  EXPECT_FALSE(std::filesystem::exists(IniOf(work))) << "nothing ran";
}
