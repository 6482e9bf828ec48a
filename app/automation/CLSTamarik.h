// The automation object on the session bus. Each client connection that
// calls it owns one object (number, receive buffer, events); the object
// lives until the client leaves the bus. Methods run on the front end's
// thread, as its own actions do.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "automation/AutomationFeed.h"
#include "automation/AutomationTypes.h"

class TAutomationHost;

// One object per creation: what one client holds.
struct TTamarik {
  int Number = 0;
  std::shared_ptr<TAutomationQueue> Queue;
  std::uint64_t ReportedDrops = 0;
};

class TTamarikServer : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.tamarik.Quorvent.ITamarik")

 public:
  TTamarikServer(TAutomationHost& host, TReceivePipeline& pipeline, QObject* parent = nullptr);
  ~TTamarikServer() override;

  // Registers the object and the bus name; false with the reason in error.
  bool Register(const QDBusConnection& bus, QString* error);

  int LiveCount() const { return static_cast<int>(objects_.size()); }
  bool AutomationActive() const { return automationActive_; }
  const TTamarik* ObjectOf(const QString& client) const;

 public slots:
  Q_SCRIPTABLE void Info();
  Q_SCRIPTABLE int Hide();
  Q_SCRIPTABLE int Show();
  Q_SCRIPTABLE int GetNextChar();
  Q_SCRIPTABLE int ResetBuffer();
  Q_SCRIPTABLE int SendData(int PortAB, const QString& SendText, bool SendBinary);
  Q_SCRIPTABLE int SendByte(int PortAB, int SendByte);
  Q_SCRIPTABLE int SetCOM(int Direction, int Direction2, int PortAB, uchar COMPort, int Baud, int DataBit, int StopBit,
                          int Parity);
  Q_SCRIPTABLE int OpenPort();
  Q_SCRIPTABLE int ClosePort();

 signals:
  // Declared for the interface description; each is sent to the owning
  // client only, never broadcast.
  Q_SCRIPTABLE void OnRxData(uchar bChar);
  Q_SCRIPTABLE void OnRxDataCAN(int Typ, int ID, bool RTR, int DLC, uchar Data1, uchar Data2, uchar Data3,
                                uchar Data4, uchar Data5, uchar Data6, uchar Data7, uchar Data8);
  Q_SCRIPTABLE void OnRxDataA(uchar bChar);
  Q_SCRIPTABLE void OnRxDataB(uchar bChar);

 private:
  // The caller's object, created on its first call.
  TTamarik& Caller();
  TTamarik& CallerActivating();
  void ClientLeft(const QString& client);
  int Guarded(const std::function<int()>& call);
  int SendDataNow(int PortAB, const QString& SendText, bool SendBinary);
  void RaiseEvents();
  void ReportDrops();
  void SendEvent(const QString& client, const TAutomationEvent& e);

  TAutomationHost& host_;
  TReceivePipeline& pipeline_;
  std::shared_ptr<TAutomationFeed> feed_;
  QDBusConnection bus_{QString()};
  QDBusServiceWatcher watcher_;
  std::map<QString, TTamarik> objects_;
  int nextNumber_ = 1;
  bool automationActive_ = false;
  QTimer dropReport_;
};
