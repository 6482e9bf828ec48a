// Saving the trace as rich text or plain text.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "WindowTestSupport.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class SaveTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // Replacing an existing file is asked about; these tests mean to replace.
    frm->LogPrompts().AskYesNo = [](std::string_view) { return true; };
    Append("PC\r\n");
    Append("SPS {x}\r\n", clRed);
  }
  QTemporaryDir dir;
};

TEST_F(SaveTest, RichTextKeepsWrittenColoursAndExpandsPlaceholders) {
  Check("chkColorNeg")->click();
  Append("neg", clRed);  // drawn negated, saved red
  ASSERT_TRUE(frm->SaveProtocol(dir.path() + "/trace [DATE].RTF", 1).isEmpty());
  const QStringList files = QDir(dir.path()).entryList(QDir::Files);
  ASSERT_EQ(files.size(), 1);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^trace \\d\\d-\\d\\d-\\d\\d\\.RTF$")).match(files[0]).hasMatch())
      << files[0].toStdString();
  const QByteArray rtf = ReadAll(dir.path() + "/" + files[0]);
  EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
  EXPECT_TRUE(rtf.contains("\\cf1 PC\r\n\\par \\cf2 SPS \\{x\\}\r\n\\par neg}")) << rtf.constData();
}

TEST_F(SaveTest, ExtensionFollowsTheFilterWhenMissing) {
  ASSERT_TRUE(frm->SaveProtocol(dir.path() + "/a", 2).isEmpty());
  ASSERT_TRUE(frm->SaveProtocol(dir.path() + "/b", 3).isEmpty());
  ASSERT_TRUE(frm->SaveProtocol(dir.path() + "/c", 1).isEmpty());
  EXPECT_TRUE(ReadAll(dir.path() + "/a.rtf").startsWith("{\\rtf1"));
  EXPECT_EQ(ReadAll(dir.path() + "/b.txt"), QByteArray("PC\r\nSPS {x}\r\n"));
  EXPECT_TRUE(QFile::exists(dir.path() + "/c.txt"));
}

TEST_F(SaveTest, PlainTextReplacesAnOldFileInWindowsCodePage) {
  const QString name = dir.path() + "/trace.log";
  QFile old(name);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write(QByteArray(1000, 'o'));
  old.close();
  Pane()->SetCaret(Pane()->Length());
  Key(Qt::Key_unknown, QStringLiteral("ä€"));
  ASSERT_TRUE(frm->SaveProtocol(name, 3).isEmpty());
  EXPECT_EQ(ReadAll(name), QByteArray("PC\r\nSPS {x}\r\n\xE4\x80"));
}

TEST_F(SaveTest, UnwritableFileGivesTheMessageAndLeavesThePane) {
  const qsizetype before = Pane()->Length();
  const QString error = frm->SaveProtocol(dir.path() + "/missing/folder/x.txt", 3);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(Pane()->Length(), before);
}
