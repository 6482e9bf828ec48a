// The framing of the TCP transport without a socket: bytes in, packets out,
// and packets in, bytes out. A packet is a little-endian length word (header
// included), an identifier word and the body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "LittleEndian.h"

enum TFasterPacketId : std::uint32_t {
  piNeedMoreData = 1,
  piNewStream = 2,
  piDenyStream = 4,
  piAcceptStream = 5,
  piStopReceivingStream = 6,
  piStopSendingStream = 7,
  piMessage = 8,
  piPing = 9,
  piPong = 10,
  piRegister = 11,
  piAskRegister = 12,
  piDisconnectAll = 13,
  piDisconnectYou = 14,
  piKickYouOut = 15,
  piNameInUse = 16,
  piNotLetIn = 17,
  piAccepted = 18,
  piStreamData = 19,
  piStreamReceived = 20,
};

inline constexpr std::uint32_t kPacketHeaderSize = 8;
// The largest packet a peer may announce: a coupling message of 20000
// records (60 bytes each) behind its 20-byte header, plus the packet header.
inline constexpr std::uint32_t kMaxPacketLength = kPacketHeaderSize + 20 + 20000u * 60u;

// Appends one whole packet to out.
void AppendPacket(std::vector<std::uint8_t>& out, std::uint32_t id, std::span<const std::uint8_t> body = {});
inline void AppendPacket(std::vector<std::uint8_t>& out, std::uint32_t id, std::string_view body) {
  AppendPacket(out, id, std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
}

// A packet as the reader hands it out; the body points into the reader's
// buffer and is valid until the next call of Prepare, Feed or Next.
struct TPacketView {
  std::uint32_t Id = 0;
  std::span<const std::uint8_t> Body;
};

// Reads the packets of one connection incrementally: a partial packet waits
// in the buffer until the rest has come. A length word outside 8 … the
// largest packet poisons the reader; its connection must then be dropped.
class TPacketReader {
 public:
  enum TResult { prNeedMore, prPacket, prBadLength };

  // Room for n more bytes at the end of the buffer; Commit says how many
  // of them were filled.
  std::span<std::uint8_t> Prepare(std::size_t n);
  void Commit(std::size_t n);
  void Feed(std::span<const std::uint8_t> bytes);

  TResult Next(TPacketView& packet);
  // Hands the packet that Next gave last out again at the next call: its
  // receiver could not take it yet.
  void PutBack();

  bool Failed() const { return failed_; }
  std::uint32_t BadLength() const { return badLength_; }
  std::size_t Buffered() const { return end_ - start_; }
  void Clear();

 private:
  void Compact();

  std::vector<std::uint8_t> buffer_;
  std::size_t start_ = 0;  // first byte not yet handed out
  std::size_t end_ = 0;    // end of the filled part
  std::size_t last_ = 0;   // start of the packet handed out last
  bool failed_ = false;
  std::uint32_t badLength_ = 0;
};

// Streamed string (registration): 0x06, a length byte and up to 255
// characters; longer ones 0x0C, a 32-bit length and the characters.
void AppendStreamedString(std::vector<std::uint8_t>& out, std::string_view text);
// False when the body ends early or the type byte is neither.
bool ReadStreamedString(std::span<const std::uint8_t> body, std::size_t& pos, std::string& text);

std::vector<std::uint8_t> RegistrationBody(std::string_view userName, std::string_view room);
bool ReadRegistration(std::span<const std::uint8_t> body, std::string& userName, std::string& room);
