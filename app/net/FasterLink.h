// One TCP connection of the transport, server side or client side: packets
// out through one queue, packets in through the framer, and the streams
// (packets 2, 4–7, 19, 20) that either side may send.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "net/PacketFramer.h"
#include "net/PacketLists.h"

// What a link tells its owner about streams.
struct TStreamEvents {
  // Another side announces a stream; true accepts it.
  std::function<bool(std::uint32_t size, const std::string& name)> NewStreamComing;
  std::function<void()> AcceptStream;          // the peer takes our stream (5)
  std::function<void()> DenyStream;            // the peer refuses it (4)
  std::function<void()> StopReceivingStream;   // the peer stopped receiving ours (6)
  std::function<void()> StopSendingStream;     // the peer stopped sending its own (7)
  std::function<void()> ReceivedStream;        // the peer has all of ours (20)
  std::function<void(std::span<const std::uint8_t> piece)> PacketCome;  // a piece of its stream (19)
  std::function<void(const std::string& name, const QByteArray& data)> StreamReceived;
};

class TFasterLink : public QObject {
  Q_OBJECT
 public:
  // The largest stream we take from a peer; a larger one is refused.
  static constexpr std::uint32_t kMaxIncomingStream = 64u << 20;
  static constexpr qsizetype kStreamPiece = 64 * 1024;

  TFasterLink(QTcpSocket* socket, QObject* parent);
  QTcpSocket* Socket() const { return socket_; }

  bool SendPacketsImmediately = true;
  void SendPacket(std::uint32_t id, std::span<const std::uint8_t> body = {});
  void SendPacket(std::uint32_t id, std::string_view body);
  // A whole packet built elsewhere (the coupling's messages).
  void SendRaw(const QByteArray& packet);
  void Flush();
  qint64 BytesToWrite() const;

  // Streams: announce one (2), it goes out in pieces once the peer accepts.
  bool SendStream(const std::string& name, const QByteArray& data);
  void StopSendingStream();
  void StopReceivingStream();
  bool SendingStream() const { return !outStream_.isEmpty() || outStreamAnnounced_; }
  bool ReceivingStream() const { return inStreamActive_; }

  // Takes the packets waiting on the socket. A packet the owner cannot take
  // yet (Dispatch false) is offered again shortly, and the socket is not
  // read meanwhile, so TCP holds the sender back.
  void ReadAvailable();
  // Ends all reading and sending: the owner is dropping this link.
  void Close();
  bool Closed() const { return closed_; }

  std::function<bool(const TPacketView& packet)> Dispatch;
  std::function<void(std::uint32_t badLength)> OnBadPacket;
  TStreamEvents Streams;

 private:
  bool HandleStreamPacket(const TPacketView& packet);
  void SendNextPieces();

  QTcpSocket* socket_;
  TPacketReader reader_;
  TFasterPacketList queued_;
  bool flushScheduled_ = false;
  bool retryScheduled_ = false;
  bool closed_ = false;
  bool inReadLoop_ = false;
  // Incoming stream.
  bool inStreamActive_ = false;
  std::uint32_t inStreamSize_ = 0;
  std::string inStreamName_;
  QByteArray inStream_;
  // Outgoing stream.
  bool outStreamAnnounced_ = false;
  bool outStreamAccepted_ = false;
  QByteArray outStream_;
  qsizetype outStreamSent_ = 0;
};
