#include "RingBuffer.h"

#include <algorithm>

namespace tamarikusb {

size_t TRingBuffer::Write(const uint8_t* p, size_t n) {
  std::lock_guard l(mutex_);
  if (n == 0 || data_.size() - fill_ < n) return 0;
  for (size_t i = 0; i < n; ++i) {
    data_[writePos_] = p[i];
    writePos_ = (writePos_ + 1) % data_.size();
  }
  fill_ += n;
  return n;
}

size_t TRingBuffer::Read(uint8_t* p, size_t n) {
  std::lock_guard l(mutex_);
  if (n > data_.size() || fill_ == 0) return 0;
  n = std::min(n, fill_);
  for (size_t i = 0; i < n; ++i) {
    p[i] = data_[readPos_];
    readPos_ = (readPos_ + 1) % data_.size();
  }
  fill_ -= n;
  return n;
}

}  // namespace tamarikusb
