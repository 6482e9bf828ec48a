#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "TempDir.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"

namespace {

struct TCapturedErrors {
  TCapturedErrors() {
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      Reports.push_back(location + "/" + message);
    });
  }
  ~TCapturedErrors() { SetErrorReporter(nullptr); }
  std::vector<std::string> Reports;
};

}  // namespace

TEST(IniFile, EveryWrittenValueReadsBackAfterTheFileIsWritten) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  {
    TIniFile ini(path);
    ini.WriteString("FrmMain", "edtTextPC_Text", "> von PC");
    ini.WriteString("FrmMain", "Umlaut", "Größe ä€");
    ini.WriteString("FrmMain", "Blanks", "  a b ");
    ini.WriteString("FrmMain", "Apostrophes", "'quoted'");
    ini.WriteString("FrmMain", "DoubleQuoted", "\"x\"");
    ini.WriteString("FrmMain", "Empty", "");
    ini.WriteString("FrmMain", "Greek", "Ωmega");
    ini.WriteString("FrmMain", "LineBreak", "a\r\nb");
    ini.WriteInteger("FrmMain", "Left", -200);
    ini.WriteBool("FrmMain", "chkSound_Checked", true);
    ini.WriteBool("FrmMain", "chkError_Checked", false);
    ini.WriteString("Codes", "Anzahl", "1");
    ASSERT_TRUE(ini.UpdateFile()) << ini.LastError();
  }
  TIniFile ini(path);
  EXPECT_EQ(ini.SkippedLines(), 0);
  EXPECT_EQ(ini.ReadString("FrmMain", "edtTextPC_Text", ""), "> von PC");
  EXPECT_EQ(ini.ReadString("FrmMain", "Umlaut", ""), "Größe ä€");
  EXPECT_EQ(ini.ReadString("FrmMain", "Blanks", ""), "  a b ");
  EXPECT_EQ(ini.ReadString("FrmMain", "Apostrophes", ""), "'quoted'");
  EXPECT_EQ(ini.ReadString("FrmMain", "DoubleQuoted", ""), "\"x\"");
  EXPECT_EQ(ini.ReadString("FrmMain", "Empty", "default"), "");
  EXPECT_EQ(ini.ReadString("FrmMain", "Greek", ""), "Ωmega");
  EXPECT_EQ(ini.ReadString("FrmMain", "LineBreak", ""), "a  b");
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Left", 0), -200);
  EXPECT_TRUE(ini.ReadBool("FrmMain", "chkSound_Checked", false));
  EXPECT_FALSE(ini.ReadBool("frmmain", "CHKERROR_CHECKED", true));  // names ignore case
  EXPECT_EQ(ini.ReadString("FrmMain", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"FrmMain", "Codes"}));
  EXPECT_EQ(ini.ReadSection("FrmMain").front(), "edtTextPC_Text");
  EXPECT_EQ(ini.ReadSection("FrmMain").size(), 11u);
  // Only the Greek line needed UTF-8; the rest stays Windows-1252.
  const std::string bytes = TTempDir::Read(path);
  EXPECT_NE(bytes.find("Umlaut=Gr\xF6\xDF" "e \xE4\x80\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Greek=\xCE\xA9mega\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("chkSound_Checked=1\r\n"), std::string::npos);
  // Nothing of the temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(IniFile, ReadsAWindowsFileWithUmlautsAndDropsEnclosingQuotes) {
  TIniFile ini;
  ini.Parse("[Programm]\r\nVersion=V 2.2.2629\r\n\r\n[FrmMain]\r\n"
            "edtTextSPS_Text=< von SPS \xE4\xF6\xFC\xDF\r\n"
            "  Spaced Key  =  value  \r\n"
            "; a comment\r\n"
            "[Codes]\r\nAnzahl=1\r\nSeite1=Mein [HEX]\r\nCodes1='A','B'\r\n"
            "Seite1=second one is ignored\r\n"
            "Hex=$1A\r\nHuge=99999999999\r\nNeg=-5\r\nTwo=2\r\nWord=ja\r\n");
  EXPECT_EQ(ini.SkippedLines(), 0);
  EXPECT_EQ(ini.ReadString("FrmMain", "edtTextSPS_Text", ""), "< von SPS äöüß");
  EXPECT_EQ(ini.ReadString("FrmMain", "Spaced Key", ""), "value");
  EXPECT_EQ(ini.ReadString("Codes", "Codes1", ""), "A','B");
  EXPECT_EQ(ini.ReadRawString("Codes", "Codes1", ""), "'A','B'");
  EXPECT_EQ(ini.ReadString("Codes", "Seite1", ""), "Mein [HEX]");
  EXPECT_EQ(ini.ReadInteger("Codes", "Hex", 0), 26);
  EXPECT_EQ(ini.ReadInteger("Codes", "Huge", 7), 7);
  EXPECT_EQ(ini.ReadInteger("Codes", "Neg", 0), -5);
  EXPECT_TRUE(ini.ReadBool("Codes", "Two", false));
  EXPECT_TRUE(ini.ReadBool("Codes", "Word", true));
  EXPECT_FALSE(ini.ReadBool("Codes", "Word", false));
  // The comment survives a rewrite.
  EXPECT_NE(ini.Serialize().find("; a comment\r\n"), std::string::npos);

  ini.EraseSection("codes");
  EXPECT_FALSE(ini.SectionExists("Codes"));
  EXPECT_TRUE(ini.SectionExists("FRMMAIN"));
  ini.DeleteKey("FrmMain", "spaced key");
  EXPECT_FALSE(ini.ValueExists("FrmMain", "Spaced Key"));
}

TEST(IniFile, TextThatLooksLikeUtf8InWindows1252StaysItselfAfterARoundTrip) {
  TIniFile ini;
  ini.WriteString("S", "K", "Ã¤");  // its Windows-1252 bytes C3 A4 would read as "ä"
  const std::string bytes = ini.Serialize();
  TIniFile back;
  back.Parse(bytes);
  EXPECT_EQ(back.ReadString("S", "K", ""), "Ã¤");
}

TEST(IniFile, MalformedLinesAreSkippedAndReportedWithoutLosingTheRest) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  std::string bytes = "orphan=before any section\n[FrmMain]\nLeft=10\n";
  bytes += std::string("Bin\0ary=1\n", 10);
  bytes += "no equals sign\n";
  bytes += "[unterminated\n";
  bytes += "=no key\n";
  bytes += "Huge=" + std::string(TIniFile::kMaxLineBytes + 10, 'x') + "\n";
  bytes += "\x01\x02\xFF\xFE garbage=\x7F\n";
  bytes += "Top=20";  // last line without a line end
  TTempDir::Write(path, bytes);

  TCapturedErrors errors;
  TIniFile ini(path);
  EXPECT_FALSE(ini.LoadFailed());
  EXPECT_EQ(ini.SkippedLines(), 7);
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Left", 0), 10);
  EXPECT_EQ(ini.ReadInteger("FrmMain", "Top", 0), 20);
  EXPECT_FALSE(ini.ValueExists("FrmMain", "Huge"));
  ASSERT_EQ(errors.Reports.size(), 1u);
  EXPECT_NE(errors.Reports[0].find("7 unreadable line(s) skipped, the first is line 1"), std::string::npos);
}

TEST(IniFile, RandomBytesNeverBreakTheReader) {
  std::uint32_t seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::string bytes(static_cast<std::size_t>(round * 37 % 4000), '\0');
    for (char& c : bytes) {
      seed = seed * 1103515245u + 12345u;
      const unsigned pick = (seed >> 16) % 16;
      c = pick == 0 ? '\n' : pick == 1 ? '=' : pick == 2 ? '[' : pick == 3 ? ']' : static_cast<char>(seed >> 8);
    }
    TIniFile ini;
    ini.Parse(bytes);
    TIniFile again;
    again.Parse(ini.Serialize());
    EXPECT_EQ(again.SkippedLines(), 0) << "round " << round;
    EXPECT_EQ(again.Serialize(), ini.Serialize()) << "round " << round;
  }
}

TEST(IniFile, AReadOnlyFileIsNeverWritten) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  TTempDir::Write(path, "[FrmMain]\r\nLeft=1\r\n");
  ::chmod(path.c_str(), 0444);
  EXPECT_TRUE(TIniFile::IsReadOnlyFile(path));
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadOnly());
  ini.WriteInteger("FrmMain", "Left", 2);
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_NE(ini.LastError().find("read-only"), std::string::npos);
  EXPECT_EQ(TTempDir::Read(path), "[FrmMain]\r\nLeft=1\r\n");
}

TEST(IniFile, AFileThatCannotBeReadIsNotOverwrittenWithDefaults) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  std::filesystem::create_directory(path);  // exists, but is no file
  TCapturedErrors errors;
  TIniFile ini(path);
  EXPECT_TRUE(ini.LoadFailed());
  EXPECT_TRUE(ini.ReadOnly());
  ini.SetReadOnly(false);
  EXPECT_TRUE(ini.ReadOnly());
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_EQ(errors.Reports.size(), 1u);
}

TEST(IniFile, WritingThroughALinkReplacesTheTargetAndKeepsItsMode) {
  TTempDir dir;
  const std::string target = dir.File("real.ini");
  const std::string link = dir.File("Tamarik.ini");
  TTempDir::Write(target, "[A]\r\nK=1\r\n");
  ::chmod(target.c_str(), 0640);
  std::filesystem::create_symlink(target, link);
  TIniFile ini(link);
  ini.WriteInteger("A", "K", 2);
  ASSERT_TRUE(ini.UpdateFile()) << ini.LastError();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(TTempDir::Read(target), "[A]\r\nK=2\r\n");
  struct stat st {};
  ::stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

