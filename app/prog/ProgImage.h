// The program image the dialog transfers: 32768 bytes, 0xFF wherever the
// file leaves a gap, and how many bytes the file filled.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

class TProgImage {
 public:
  static constexpr std::size_t kSize = 32768;

  TProgImage() { Clear(); }
  void Clear();
  enum class TLoad { Missing, Loaded, Bad };
  // A name ending in ".HEX" (any case) is read as Intel-HEX, anything else
  // raw. A file that does not exist changes nothing; a bad or too large one
  // shows its message, keeps what was read and counts as Bad.
  TLoad Load(const std::string& fileName, const std::function<void(std::string_view)>& message);

  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  std::span<std::uint8_t> Bytes() { return bytes_; }
  int ImageSize() const { return size_; }

 private:
  std::array<std::uint8_t, kSize> bytes_{};
  int size_ = 0;
};
