#include "net/VersionCtrl.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QUrl>
#include <QXmlStreamReader>

#include "core/ProgramVersion.h"
#include "core/SendText.h"

namespace {

// A web address or a file: a name without a scheme is a file name.
QUrl SourceUrl(const QString& source) {
  const QUrl url(source);
  if (url.isValid() && url.scheme().size() > 1) return url;
  return QUrl::fromLocalFile(QDir::current().absoluteFilePath(source));
}

TProgramVersion VersionOrThrow(const QString& text) {
  const auto v = ParseProgramVersion(text.toStdString());
  if (!v) throw THexError();
  return *v;
}

}  // namespace

TQvVersionCtrl::TQvVersionCtrl(QObject* parent) : QObject(parent), net_(new QNetworkAccessManager(this)) {
  Opener = [](const QString& address) { return QProcess::startDetached("xdg-open", {address}); };
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this,
          [this] { Abort(QString("no answer within %1 s").arg(TimeoutMs / 1000.0)); });
}

TQvVersionCtrl::~TQvVersionCtrl() {
  // A late completion does nothing.
  stop_ = true;
  if (reply_) reply_->abort();
}

void TQvVersionCtrl::Load() {
  if (reply_ || XMLSource.isEmpty() || ProgName.isEmpty()) {
    if (!reply_) lastError_ = "no version file is configured";
    return;
  }
  StartRequest();
  if (AsynchronLoad || !reply_) return;
  QEventLoop loop;
  connect(this, &TQvVersionCtrl::EventLoadReady, &loop, &QEventLoop::quit);
  if (reply_) loop.exec();
}

void TQvVersionCtrl::StartRequest() {
  data_.clear();
  abortReason_.clear();
  QNetworkRequest request(SourceUrl(XMLSource));
  request.setTransferTimeout(TimeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  reply_ = net_->get(request);
  connect(reply_, &QNetworkReply::readyRead, this, [this] {
    if (!reply_) return;
    data_ += reply_->readAll();
    if (data_.size() > SizeLimit) Abort(QString("larger than %1 bytes").arg(SizeLimit));
  });
  connect(reply_, &QNetworkReply::finished, this, &TQvVersionCtrl::Finish);
  // The transfer time-out counts silence only; this ends a trickle too.
  deadline_.start(TimeoutMs);
}

void TQvVersionCtrl::Abort(const QString& why) {
  if (!reply_) return;
  abortReason_ = why;
  reply_->abort();  // finished follows
}

void TQvVersionCtrl::Finish() {
  deadline_.stop();
  QNetworkReply* reply = reply_;
  if (!reply || stop_) return;
  reply_ = nullptr;
  reply->deleteLater();
  version_.clear();
  attributes_.clear();
  if (!abortReason_.isEmpty()) {
    lastError_ = abortReason_;
  } else if (reply->error() != QNetworkReply::NoError) {
    lastError_ = reply->errorString();
  } else {
    data_ += reply->readAll();
    if (data_.size() > SizeLimit)
      lastError_ = QString("larger than %1 bytes").arg(SizeLimit);
    else
      Parse(data_);
  }
  data_.clear();
  emit EventLoadReady();
}

// The whole document must be well-formed; the first element below the
// document element whose name is ProgName, in any case, is the one.
void TQvVersionCtrl::Parse(const QByteArray& data) {
  QXmlStreamReader xml(data);
  bool found = false;
  int depth = 0;
  QString version;
  QStringList attributes;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      ++depth;
      if (!found && depth > 1 && xml.name().compare(ProgName, Qt::CaseInsensitive) == 0) {
        found = true;
        for (const QXmlStreamAttribute& a : xml.attributes()) {
          attributes << a.name().toString() + "=" + a.value().toString();
          if (a.name() == QLatin1String("V")) version = a.value().toString();
        }
      }
    } else if (xml.isEndElement()) {
      --depth;
    }
  }
  if (xml.hasError()) {
    lastError_ = QString("not well-formed: %1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber());
    return;
  }
  if (!found) {
    lastError_ = QString("no element %1 in it").arg(ProgName);
    return;
  }
  version_ = version;
  attributes_ = attributes;
  lastError_.clear();
}

void TQvVersionCtrl::EnsureLoaded() {
  if (version_.isEmpty() && !reply_) Load();
}

QString TQvVersionCtrl::Version() {
  EnsureLoaded();
  return version_;
}

int TQvVersionCtrl::Major() {
  const auto v = ParseProgramVersion(Version().toStdString());
  return v ? v->Major : 0;
}

int TQvVersionCtrl::Minor() {
  const auto v = ParseProgramVersion(Version().toStdString());
  return v ? v->Minor : 0;
}

long long TQvVersionCtrl::Build() {
  const auto v = ParseProgramVersion(Version().toStdString());
  return v ? v->Build : 0;
}

QString TQvVersionCtrl::GetAttr(const QString& name) {
  EnsureLoaded();
  const QString prefix = name + "=";
  for (const QString& line : attributes_)
    if (line.startsWith(prefix)) return line.mid(prefix.size());
  return {};
}

bool TQvVersionCtrl::OpenLink(const QString& name) {
  const QString address = GetAttr(name);
  return !address.isEmpty() && Opener && Opener(address);
}

bool TQvVersionCtrl::IsNewer(const QString& other) {
  return VersionOrThrow(version_) > VersionOrThrow(other);
}

std::optional<TVersionOffer> EvaluateVersionOffer(TQvVersionCtrl& ctrl, const QString& ownVersionText,
                                                  long long installedHelpSize, const QString& msgNewer,
                                                  const QString& msgNone) {
  // Never a new load from here: a source that keeps failing would call
  // this handler again and again.
  const QString published = ctrl.LoadedVersion();
  if (published.isEmpty()) return std::nullopt;
  TVersionOffer offer;
  bool ok = false;
  const long long helpSize = ctrl.GetAttr("SH").toLongLong(&ok);
  offer.ProgramNewer = ctrl.IsNewer(ownVersionText.mid(2, 8));
  offer.HelpNewer = ok && helpSize > 0 && helpSize != installedHelpSize;
  if (!offer.ProgramNewer && !offer.HelpNewer) {
    offer.Message = msgNone;
    return offer;
  }
  offer.Message = msgNewer;
  if (offer.ProgramNewer) {
    const QString insert = " (" + published + ")";
    qsizetype at = offer.Message.indexOf("\r\n");
    if (at < 0) at = offer.Message.indexOf('\n');
    if (at < 0)
      offer.Message += insert;
    else
      offer.Message.insert(at, insert);
  }
  return offer;
}
