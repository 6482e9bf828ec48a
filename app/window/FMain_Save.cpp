// Saving the trace: rich text with the colours as they were written, or
// plain text.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "core/Charsets.h"
#include "core/DateTime.h"
#include "core/ErrorLog.h"
#include "core/FileNamePlaceholders.h"
#include "core/Language.h"
#include "core/RtfWriter.h"
#include "core/TextIds.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/TracePane.h"

namespace {

// Saved traces are read by the program's Windows counterpart: its 8-bit code page.
QByteArray ToCp1252(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t cp = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
      cp = QChar::surrogateToUcs4(text[i], text[i + 1]), ++i;
    const int byte = UnicodeToCp1252(cp);
    out.append(byte >= 0 ? static_cast<char>(byte) : '?');
  }
  return out;
}

bool SameFile(const QString& a, const std::string& b) {
  if (b.empty()) return false;
  const QFileInfo other(QString::fromStdString(b));
  return QFileInfo(a).absoluteFilePath() == other.absoluteFilePath() ||
         (QFileInfo::exists(a) && QFileInfo(a).canonicalFilePath() == other.canonicalFilePath());
}

}  // namespace

// Replacing a file a log writes would cut the log off from what it wrote.
bool TFrmMain::IsLogFile(const QString& name) const {
  return (onlineLog_->LogReady() && SameFile(name, onlineLog_->CurrentPath())) ||
         (rawLog_->RawReady() && (SameFile(name, rawLog_->PathA()) || SameFile(name, rawLog_->PathB())));
}

void TFrmMain::btnSpeichernClick() {
  // Filters in the order all files, rich text, text.
  const QStringList filters = NameFiltersFromText(GetQText(TextId::SDlgFilter));
  QFileDialog dialog(this, GetQText(TextId::SDlg));
  dialog.setObjectName(QStringLiteral("SDlg"));
  dialog.setProperty("tag", TextId::SDlg);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // The question comes after the placeholders and the extension are known.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(filters);
  const QString current = sdlgFileName_.toLower();
  const int filter = current.endsWith(QStringLiteral(".rtf")) ? 2 : current.endsWith(QStringLiteral(".txt")) ? 3 : 1;
  if (filter <= filters.size()) dialog.selectNameFilter(filters[filter - 1]);
  dialog.setDirectory(QFileInfo(sdlgFileName_).absolutePath());
  dialog.selectFile(QFileInfo(sdlgFileName_).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  sdlgFileName_ = dialog.selectedFiles().constFirst();
  const QString error = SaveProtocol(sdlgFileName_, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
  if (!error.isEmpty()) QMessageBox::critical(this, windowTitle(), error);
}

QString TFrmMain::SaveProtocol(const QString& fileName, int filterIndex) {
  const QByteArray chosen = fileName.toUtf8();
  QString name = QString::fromStdString(
      ExpandFileNamePlaceholders(std::string_view(chosen.constData(), static_cast<std::size_t>(chosen.size())),
                                 NowDateTime())
          .Name);
  if (QFileInfo(name).suffix().isEmpty()) name += filterIndex == 2 ? QStringLiteral(".rtf") : QStringLiteral(".txt");

  if (IsLogFile(name)) return GetQText(TextId::MsgFileIsLog);
  QFile file(name);
  if (file.exists()) {
    if (!logPrompts_.AskYesNo || !logPrompts_.AskYesNo(GetText(TextId::MsgFileExists))) return {};
    if (!file.remove()) return name + QStringLiteral(": ") + file.errorString();
  }
  const bool rtf = QFileInfo(name).suffix().compare(QStringLiteral("rtf"), Qt::CaseInsensitive) == 0;
  QByteArray bytes;
  if (rtf) {
    const std::string document = RtfDocument(ed1->Buffer().WrittenRuns());
    bytes = QByteArray(document.data(), static_cast<qsizetype>(document.size()));
  } else {
    bytes = ToCp1252(ed1->Buffer().PlainText());
  }
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
    return name + QStringLiteral(": ") + file.errorString();
  file.close();
  WriteErrorLog(rtf ? "UserAction: Save Protocol as RTF-file" : "UserAction: Save Protocol as textfile");
  return {};
}
