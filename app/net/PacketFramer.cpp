#include "net/PacketFramer.h"

#include <algorithm>
#include <cstring>

void AppendPacket(std::vector<std::uint8_t>& out, std::uint32_t id, std::span<const std::uint8_t> body) {
  const std::size_t at = out.size();
  out.resize(at + kPacketHeaderSize + body.size());
  PutU32(&out[at], static_cast<std::uint32_t>(kPacketHeaderSize + body.size()));
  PutU32(&out[at + 4], id);
  if (!body.empty()) std::memcpy(&out[at + kPacketHeaderSize], body.data(), body.size());
}

std::span<std::uint8_t> TPacketReader::Prepare(std::size_t n) {
  Compact();
  if (buffer_.size() < end_ + n) buffer_.resize(end_ + n);
  return {buffer_.data() + end_, n};
}

void TPacketReader::Commit(std::size_t n) { end_ = std::min(end_ + n, buffer_.size()); }

void TPacketReader::Feed(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  std::span<std::uint8_t> room = Prepare(bytes.size());
  std::memcpy(room.data(), bytes.data(), bytes.size());
  Commit(bytes.size());
}

TPacketReader::TResult TPacketReader::Next(TPacketView& packet) {
  if (failed_) return prBadLength;
  const std::size_t waiting = end_ - start_;
  // The length word is judged as soon as it is complete, so a peer cannot
  // make us wait for (or allocate) a body it only announced.
  if (waiting < 4) return prNeedMore;
  const std::uint32_t length = GetU32(&buffer_[start_]);
  if (length < kPacketHeaderSize || length > kMaxPacketLength) {
    failed_ = true;
    badLength_ = length;
    return prBadLength;
  }
  if (waiting < length) return prNeedMore;
  packet.Id = GetU32(&buffer_[start_ + 4]);
  packet.Body = {buffer_.data() + start_ + kPacketHeaderSize, length - kPacketHeaderSize};
  last_ = start_;
  start_ += length;
  return prPacket;
}

void TPacketReader::PutBack() { start_ = last_; }

void TPacketReader::Clear() {
  buffer_.clear();
  start_ = end_ = last_ = 0;
  failed_ = false;
  badLength_ = 0;
}

// Moves the unread rest to the front; handed-out bodies become invalid here.
void TPacketReader::Compact() {
  if (start_ == 0) return;
  if (start_ < end_) std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
  end_ -= start_;
  start_ = last_ = 0;
}

void AppendStreamedString(std::vector<std::uint8_t>& out, std::string_view text) {
  if (text.size() <= 255) {
    out.push_back(0x06);
    out.push_back(static_cast<std::uint8_t>(text.size()));
  } else {
    out.push_back(0x0C);
    const std::size_t at = out.size();
    out.resize(at + 4);
    PutU32(&out[at], static_cast<std::uint32_t>(text.size()));
  }
  out.insert(out.end(), text.begin(), text.end());
}

bool ReadStreamedString(std::span<const std::uint8_t> body, std::size_t& pos, std::string& text) {
  if (pos >= body.size()) return false;
  const std::uint8_t type = body[pos];
  std::size_t length = 0;
  std::size_t at = pos + 1;
  if (type == 0x06) {
    if (at >= body.size()) return false;
    length = body[at];
    at += 1;
  } else if (type == 0x0C) {
    if (body.size() - at < 4) return false;
    length = GetU32(&body[at]);
    at += 4;
  } else {
    return false;
  }
  if (body.size() - at < length) return false;
  text.assign(reinterpret_cast<const char*>(body.data() + at), length);
  pos = at + length;
  return true;
}

std::vector<std::uint8_t> RegistrationBody(std::string_view userName, std::string_view room) {
  std::vector<std::uint8_t> body;
  AppendStreamedString(body, userName);
  AppendStreamedString(body, room);
  return body;
}

bool ReadRegistration(std::span<const std::uint8_t> body, std::string& userName, std::string& room) {
  std::size_t pos = 0;
  return ReadStreamedString(body, pos, userName) && ReadStreamedString(body, pos, room);
}
