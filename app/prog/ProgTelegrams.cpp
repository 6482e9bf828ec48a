#include "prog/ProgTelegrams.h"

#include <cstdio>

#include "CanBootProtocol.h"

namespace prog {
namespace {

// The identifiers below are those of segment 0, the boot loader's default;
// the dialog's telegrams name them literally.
constexpr std::uint8_t kSegment = 0;

std::string Hex2(unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, " 0x%02X", value & 0xFF);
  return buf;
}

}  // namespace

std::string ConnectTelegram() { return "0 0xFF"; }

std::string EraseTelegram() { return "4 0x00 0xFF"; }

std::string TransferStartTelegram(unsigned first, unsigned last) {
  return "1 0x00" + Hex2(first >> 8) + Hex2(first) + Hex2(last >> 8) + Hex2(last);
}

std::string DataTelegram(std::span<const std::uint8_t> bytes) {
  std::string text = "2";
  for (std::uint8_t b : bytes) text += Hex2(b);
  return text;
}

std::string StartProgramTelegram() { return "4 0x03 0x01 0x00 0x00"; }

std::string ReadExtraTelegram(std::uint8_t index) { return "5 0x01" + Hex2(index); }

std::string WriteExtraTelegram(std::uint8_t index, const std::string& valueText) {
  // A single digit would leave the escape one character short.
  const std::string digits = valueText.size() == 1 ? "0" + valueText : valueText;
  return "4 0x01" + Hex2(index) + " 0x" + digits;
}

std::uint8_t ExtraIndex(int edit) {
  static constexpr std::uint8_t kOrder[kExtraCount] = {canboot::kP1CF, canboot::kP3CF, canboot::kP4CF,
                                                       canboot::kBSB,  canboot::kEB,   canboot::kSBV};
  return kOrder[edit];
}

TAnswerInfo ClassifyAnswer(const TCanFrame& f) {
  using namespace canboot;
  if (f.Extended || f.Remote || f.Length > 8) return {};
  const std::uint8_t first = f.Length > 0 ? f.Data[0] : 0;
  if (f.Ident == Ident(kSegment, SelectNode)) {
    // The host's own select carries one byte, the node's answer two.
    if (f.Length < 2) return {};
    return {f.Data[1] == 1 ? TAnswer::Opened : TAnswer::Closed, f.Data[0]};
  }
  if (f.Ident == Ident(kSegment, ProgStart)) return f.Length <= 1 ? TAnswerInfo{TAnswer::StartOk} : TAnswerInfo{};
  if (f.Ident == Ident(kSegment, ProgData)) {
    if (f.Length != 1) return {};
    if (first == kDataMore) return {TAnswer::DataMore};
    if (first == kDataDone) return {TAnswer::DataDone};
    return {TAnswer::DataFail, first};
  }
  if (f.Ident == Ident(kSegment, WriteCommand)) {
    if (f.Length == 0 || (f.Length == 1 && first == 0)) return {TAnswer::WriteOk};
    return {};
  }
  if (f.Ident == Ident(kSegment, ReadCommand)) {
    // Answered with the value alone; a node that echoes the request in
    // front still ends with it.
    if (f.Length == 1 || f.Length == 3) return {TAnswer::ReadValue, f.Data[f.Length - 1]};
    return {};
  }
  if (f.Ident == Ident(kSegment, ErrorAnswer)) return {TAnswer::Refused, first};
  return {};
}

}  // namespace prog
