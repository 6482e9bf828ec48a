// The version check: loads a small XML version file (a web address or a
// local file), finds the element that describes this program and keeps its
// attributes. Loading never hangs: a time-out and a size limit end it with
// a message.
#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

class QNetworkAccessManager;


class TQvVersionCtrl : public QObject {
  Q_OBJECT
 public:
  static constexpr int kDefaultTimeoutMs = 15000;
  static constexpr qint64 kDefaultSizeLimit = 1 << 20;

  explicit TQvVersionCtrl(QObject* parent = nullptr);
  ~TQvVersionCtrl() override;

  QString XMLSource;
  QString ProgName = "Tamarik";
  bool AsynchronLoad = true;
  int TimeoutMs = kDefaultTimeoutMs;
  qint64 SizeLimit = kDefaultSizeLimit;
  // Hands an address to the desktop; xdg-open unless a test puts its own.
  std::function<bool(const QString& address)> Opener;

  // Starts loading XMLSource; ignored while a load runs. Asynchronous: the
  // event follows when done. Synchronous: returns when done.
  void Load();
  bool Loading() const { return reply_ != nullptr; }

  // These start a load first when no version has been read yet.
  QString Version();
  int Major();
  int Minor();
  long long Build();
  QString GetAttr(const QString& name);
  // Opens the attribute's address; false when it is empty or could not be handed on.
  bool OpenLink(const QString& name);
  // The published version is newer than other ("2.3.9113"). Throws
  // THexError when either build part is not hexadecimal.
  bool IsNewer(const QString& other);

  // What the last load found, without starting one.
  const QString& LoadedVersion() const { return version_; }
  // name=value, every attribute of the program's element.
  const QStringList& Attributes() const { return attributes_; }
  // Why the last load gave no version; empty after a good one.
  const QString& LastError() const { return lastError_; }

 signals:
  // After every load, good or not (Version() tells).
  void EventLoadReady();

 private:
  void StartRequest();
  void Finish();
  void Abort(const QString& why);
  void Parse(const QByteArray& data);
  void EnsureLoaded();

  QNetworkAccessManager* net_ = nullptr;
  QPointer<QNetworkReply> reply_;
  QByteArray data_;
  QString abortReason_;
  QTimer deadline_;
  bool stop_ = false;
  QString version_;
  QStringList attributes_;
  QString lastError_;
};

// The decision of the load-ready handler, without a window.
struct TVersionOffer {
  bool ProgramNewer = false;
  bool HelpNewer = false;
  // 1145 with the published version inserted, or 1146.
  QString Message;
};
// ownVersionText: "V 2.3.9113"; msgNewer, msgNone: texts 1145 and 1146.
// nullopt when nothing was published (the handler then does nothing).
std::optional<TVersionOffer> EvaluateVersionOffer(TQvVersionCtrl& ctrl, const QString& ownVersionText,
                                                  long long installedHelpSize, const QString& msgNewer,
                                                  const QString& msgNone);
