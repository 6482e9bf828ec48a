#include "prog/ProgImage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "FirmwareLoad.h"

void TProgImage::Clear() {
  bytes_.fill(0xFF);
  size_ = 0;
}

namespace {
bool EndsWithHex(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::toupper(c); });
  return tail == ".HEX";
}
}  // namespace

TProgImage::TLoad TProgImage::Load(const std::string& fileName,
                                   const std::function<void(std::string_view)>& message) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(fileName, ec)) return TLoad::Missing;
  Clear();
  bool complained = false;
  const auto tell = [&](std::string_view text) {
    complained = true;
    if (message) message(text);
  };
  constexpr std::uint32_t kBound = kSize - 1;
  size_ = EndsWithHex(fileName) ? LoadHexToBuffer(fileName, bytes_, kBound, tell)
                                : LoadBinToBuffer(fileName, bytes_, kBound, tell);
  return complained || size_ <= 0 ? TLoad::Bad : TLoad::Loaded;
}
