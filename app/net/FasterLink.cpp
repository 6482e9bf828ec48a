#include "net/FasterLink.h"

#include <QTimer>
#include <vector>

namespace {

QByteArray BuildPacket(std::uint32_t id, std::span<const std::uint8_t> body) {
  std::vector<std::uint8_t> bytes;
  AppendPacket(bytes, id, body);
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// What Qt holds of one socket's incoming data while we do not read.
constexpr qint64 kSocketReadBuffer = 4 << 20;

}  // namespace

TFasterLink::TFasterLink(QTcpSocket* socket, QObject* parent) : QObject(parent), socket_(socket) {
  socket_->setParent(this);
  socket_->setReadBufferSize(kSocketReadBuffer);
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  connect(socket_, &QTcpSocket::readyRead, this, &TFasterLink::ReadAvailable);
  connect(socket_, &QTcpSocket::bytesWritten, this, [this] { SendNextPieces(); });
}

void TFasterLink::SendPacket(std::uint32_t id, std::span<const std::uint8_t> body) {
  SendRaw(BuildPacket(id, body));
}

void TFasterLink::SendPacket(std::uint32_t id, std::string_view body) { SendPacket(id, AsBytes(body)); }

void TFasterLink::SendRaw(const QByteArray& packet) {
  if (closed_) return;
  if (SendPacketsImmediately) {
    socket_->write(packet);
    return;
  }
  queued_.Add(packet);
  if (!flushScheduled_) {
    flushScheduled_ = true;
    QTimer::singleShot(0, this, [this] { Flush(); });
  }
}

void TFasterLink::Flush() {
  flushScheduled_ = false;
  if (closed_) return;
  for (const QByteArray& packet : queued_.Take()) socket_->write(packet);
}

qint64 TFasterLink::BytesToWrite() const { return socket_->bytesToWrite() + queued_.Bytes(); }

void TFasterLink::Close() {
  closed_ = true;
  queued_.Clear();
  inStream_.clear();
  outStream_.clear();
}

void TFasterLink::ReadAvailable() {
  if (closed_ || inReadLoop_) return;
  inReadLoop_ = true;
  retryScheduled_ = false;
  TPacketView packet;
  for (;;) {
    TPacketReader::TResult result;
    while ((result = reader_.Next(packet)) == TPacketReader::prPacket) {
      const bool taken = HandleStreamPacket(packet) || !Dispatch || Dispatch(packet);
      if (closed_) break;
      if (!taken) {
        reader_.PutBack();
        if (!retryScheduled_) {
          retryScheduled_ = true;
          QTimer::singleShot(1, this, &TFasterLink::ReadAvailable);
        }
        inReadLoop_ = false;
        return;
      }
    }
    if (closed_) break;
    if (result == TPacketReader::prBadLength) {
      const std::uint32_t bad = reader_.BadLength();
      inReadLoop_ = false;
      if (OnBadPacket) OnBadPacket(bad);
      return;
    }
    const qint64 waiting = socket_->bytesAvailable();
    if (waiting <= 0) break;
    std::span<std::uint8_t> room = reader_.Prepare(static_cast<std::size_t>(waiting));
    const qint64 got = socket_->read(reinterpret_cast<char*>(room.data()), waiting);
    reader_.Commit(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (got <= 0) break;
  }
  inReadLoop_ = false;
}

bool TFasterLink::SendStream(const std::string& name, const QByteArray& data) {
  if (closed_ || SendingStream() || static_cast<quint64>(data.size()) > 0xFFFFFFFFu) return false;
  std::vector<std::uint8_t> body(4);
  PutU32(body.data(), static_cast<std::uint32_t>(data.size()));
  body.insert(body.end(), name.begin(), name.end());
  outStream_ = data;
  outStreamSent_ = 0;
  outStreamAnnounced_ = true;
  outStreamAccepted_ = false;
  SendPacket(piNewStream, body);
  return true;
}

void TFasterLink::StopSendingStream() {
  if (!SendingStream()) return;
  outStream_.clear();
  outStreamAnnounced_ = outStreamAccepted_ = false;
  SendPacket(piStopSendingStream);
}

void TFasterLink::StopReceivingStream() {
  if (!inStreamActive_) return;
  inStreamActive_ = false;
  inStream_.clear();
  SendPacket(piStopReceivingStream);
}

// The stream goes out a piece at a time, as the socket takes it, so a large
// stream never fills the write buffer at once.
void TFasterLink::SendNextPieces() {
  if (closed_ || !outStreamAccepted_) return;
  while (outStreamSent_ < outStream_.size() && socket_->bytesToWrite() < 4 * kStreamPiece) {
    const qsizetype n = std::min(kStreamPiece, outStream_.size() - outStreamSent_);
    SendPacket(piStreamData, std::span(reinterpret_cast<const std::uint8_t*>(outStream_.constData() + outStreamSent_),
                                       static_cast<std::size_t>(n)));
    outStreamSent_ += n;
  }
}

bool TFasterLink::HandleStreamPacket(const TPacketView& packet) {
  switch (packet.Id) {
    case piNewStream: {
      if (packet.Body.size() < 4) return true;
      const std::uint32_t size = GetU32(packet.Body.data());
      const std::string name(reinterpret_cast<const char*>(packet.Body.data() + 4), packet.Body.size() - 4);
      const bool accept = size <= kMaxIncomingStream && !inStreamActive_ && Streams.NewStreamComing &&
                          Streams.NewStreamComing(size, name);
      if (accept) {
        inStreamActive_ = true;
        inStreamSize_ = size;
        inStreamName_ = name;
        inStream_.clear();
      }
      SendPacket(accept ? piAcceptStream : piDenyStream);
      if (accept && size == 0) {
        inStreamActive_ = false;
        if (Streams.StreamReceived) Streams.StreamReceived(inStreamName_, inStream_);
        SendPacket(piStreamReceived);
      }
      return true;
    }
    case piDenyStream:
      outStream_.clear();
      outStreamAnnounced_ = false;
      if (Streams.DenyStream) Streams.DenyStream();
      return true;
    case piAcceptStream:
      if (!outStreamAnnounced_) return true;
      outStreamAccepted_ = true;
      if (Streams.AcceptStream) Streams.AcceptStream();
      SendNextPieces();
      return true;
    case piStopReceivingStream:
      outStream_.clear();
      outStreamAnnounced_ = outStreamAccepted_ = false;
      if (Streams.StopReceivingStream) Streams.StopReceivingStream();
      return true;
    case piStopSendingStream:
      inStreamActive_ = false;
      inStream_.clear();
      if (Streams.StopSendingStream) Streams.StopSendingStream();
      return true;
    case piStreamData: {
      if (!inStreamActive_) return true;
      // More than announced: the stream is broken, stop taking it.
      if (static_cast<std::uint64_t>(inStream_.size()) + packet.Body.size() > inStreamSize_) {
        StopReceivingStream();
        return true;
      }
      inStream_.append(reinterpret_cast<const char*>(packet.Body.data()), static_cast<qsizetype>(packet.Body.size()));
      if (Streams.PacketCome) Streams.PacketCome(packet.Body);
      if (static_cast<std::uint32_t>(inStream_.size()) == inStreamSize_) {
        inStreamActive_ = false;
        const QByteArray data = std::exchange(inStream_, {});
        if (Streams.StreamReceived) Streams.StreamReceived(inStreamName_, data);
        SendPacket(piStreamReceived);
      }
      return true;
    }
    case piStreamReceived:
      if (outStreamAccepted_ && outStreamSent_ == outStream_.size()) {
        outStream_.clear();
        outStreamAnnounced_ = outStreamAccepted_ = false;
      }
      if (Streams.ReceivedStream) Streams.ReceivedStream();
      return true;
    default:
      return false;
  }
}
