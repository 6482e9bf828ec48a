// The isochronous stream's ring: the stream writes whole packets, the
// read request copies out what is there. The fill count changes only under
// the lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tamarikusb {

class TRingBuffer {
 public:
  explicit TRingBuffer(size_t size) : data_(size) {}
  // Writes nothing and returns 0 when the free space is smaller than n.
  size_t Write(const uint8_t* p, size_t n);
  // Copies at most the fill count; 0 when n exceeds the ring or it is empty.
  size_t Read(uint8_t* p, size_t n);
  size_t Fill() {
    std::lock_guard l(mutex_);
    return fill_;
  }

 private:
  std::mutex mutex_;
  std::vector<uint8_t> data_;
  size_t readPos_ = 0, writePos_ = 0, fill_ = 0;
};

}  // namespace tamarikusb
