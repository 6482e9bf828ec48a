// CAN frames, bus events and the two measurements as trace lines.
#include <cstdio>

#include "core/CanFilter.h"
#include "core/Measurement.h"
#include "core/ReceivePipeline.h"

namespace {

void AppendHex(std::string& out, unsigned value, int digits) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  out += buf;
}

const char* ErrorKind(std::uint8_t ecc) {
  static constexpr const char* kKinds[] = {"Bit error in ", "Form error in ", "Stuff error in ", "Other error in "};
  return kKinds[ecc >> 6];
}

const char* ErrorSegment(std::uint8_t ecc) {
  switch (ecc & 0x1F) {
    case 2: return "ID.28 to ID.21";
    case 3: return "start of frame";
    case 4: return "bit SRTR";
    case 5: return "bit IDE";
    case 6: return "ID.20 to ID.18";
    case 7: return "ID.17 to ID.13";
    case 8: return "CRC sequence";
    case 9: return "reserved bit 0";
    case 10: return "data field";
    case 11: return "data length code";
    case 12: return "bit RTR";
    case 13: return "reserved bit 1";
    case 14: return "ID.4 to ID.0";
    case 15: return "ID.12 to ID.5";
    case 17: return "active error flag";
    case 18: return "intermission";
    case 19: return "tolerate dominant bits";
    case 22: return "passive error flag";
    case 23: return "error delimiter";
    case 24: return "CRC delimiter";
    case 25: return "acknowledge slot";
    case 26: return "end of frame";
    case 27: return "acknowledge delimiter";
    case 28: return "overload flag";
    default: return "";
  }
}

}  // namespace

std::string TReceivePipeline::CanFrameText(const TSeriellData& r) {
  std::string text = "No: ";
  AppendHex(text, r.Info & 0xFF, 2);
  if (r.Signals & msID29) {
    text += " ID29: ";
    AppendHex(text, r.Ident, 8);
  } else {
    text += " ID11:      ";
    AppendHex(text, r.Ident & 0x7FF, 3);
  }
  const bool rtr = (r.Signals & msRTR) != 0;
  text += rtr ? " RTR" : "    ";
  text += " DLC: ";
  AppendHex(text, static_cast<unsigned>(r.Count) & 0xF, 1);
  if (r.Count >= 1 && !rtr) {
    text += " > ";
    const int n = r.Count > 8 ? 8 : r.Count;
    for (int i = 0; i < n; ++i) {
      text += ' ';
      AppendHex(text, r.Data[i], 2);
    }
  }
  return text;
}

std::string TReceivePipeline::CanEventText(const TSeriellData& r) {
  const std::uint16_t f = r.LineFlags;
  if (f & seBus) return "Bus-Error";
  if (f & seBusOv) return "Bus-Error Overflow";
  if (f & seBusDetail) {
    std::string text = "Bus-Error";
    if (r.Count != 6) return text;
    const std::uint8_t status = r.Data[0], alc = r.Data[1] & 0x1F, ecc = r.Data[2], ewl = r.Data[3];
    const std::uint8_t rxErr = r.Data[4], txErr = r.Data[5];
    text += (ecc & 0x20) ? " RX: " : " TX: ";
    text += ErrorKind(ecc);
    text += ErrorSegment(ecc);
    if (alc != lastCanALC_) {
      lastCanALC_ = alc;
      if (alc <= 10)
        text += ", ALC lost in Bit " + std::to_string(alc + 1) + " of Identifier";
      else if (alc == 11)
        text += ", ALC lost in Bit RTR (11-Bit)";
      else if (alc == 12)
        text += ", ALC lost in Bit IDE";
      else if (alc <= 30)
        text += ", ALC lost in Bit " + std::to_string(alc - 1) + " of Identifier";
      else
        text += ", ALC lost in Bit RTR (29-Bit)";
    }
    if ((rxErr > ewl && rxErr != lastCanRxErrors_) || (txErr > ewl && txErr != lastCanTxErrors_)) {
      lastCanRxErrors_ = rxErr;
      lastCanTxErrors_ = txErr;
      text += ", Error-Counter RX: " + std::to_string(rxErr) + " TX: " + std::to_string(txErr);
    }
    const int s = status & 0x82;
    if (s != lastCanStatus_) {
      lastCanStatus_ = s;
      if (s & 0x80) text += ", Bus OFF   ";
      if (s & 0x02) text += ", Data Overrun";
    }
    return text;
  }
  if (f & seNotSend) return "Telegramm not sendet!";
  if (f & seBufferOv) return "Error - Buffer overflow!";
  return {};
}

void TReceivePipeline::EmitRecordLine(const TSeriellData& r, std::string_view text, TColor color) {
  pending_.clear();
  AppendLinePrefix(pending_, r, TimeDiff(r));
  pending_ += text;
  AppendLineEnd(pending_, opt_, opt_.chkTextEnde ? SideText(r.Dir) : std::string_view(), r.Time);
  lineChars_ = 0;
  lineOpen_ = false;
  logRecord_ = !LogExcluded(r.Dir);
  lineColor_ = color;
  Flush(color);
}

void TReceivePipeline::RxData_Can(const TSeriellData& r) {
  if (opt_.chkSound) soundCount_.fetch_add(batchCount_, std::memory_order_relaxed);
  if (r.LineFlags != 0) {
    const std::string text = CanEventText(r);
    if (!text.empty()) EmitRecordLine(r, text, clRed);
    return;
  }
  // The sequence runs on through frames the filter hides, so a hidden
  // frame never makes the next shown one look lost.
  const int seq = r.Info & 0xFF;
  const bool lost = lastCanSeq_ >= 0 && seq != ((lastCanSeq_ + 1) & 0xFF);
  lastCanSeq_ = seq;
  if (lost) {
    canLostFrames_.fetch_add(1, std::memory_order_relaxed);
    if (opt_.UsbTestPageShown) canBeeps_.fetch_add(1, std::memory_order_relaxed);
  }
  if (opt_.CanFilter && !opt_.CanFilter->Pass(r.Ident)) return;
  EmitRecordLine(r, CanFrameText(r), lost ? clBlue : clBlack);
}

void TReceivePipeline::RxData_FQMess(const TSeriellData& r) {
  if (opt_.chkSound) soundCount_.fetch_add(batchCount_, std::memory_order_relaxed);
  EmitRecordLine(r, FrequencyText(r, opt_.DecimalSep), clBlack);
}

void TReceivePipeline::RxData_BaudMess(const TSeriellData& r) {
  if (opt_.chkSound) soundCount_.fetch_add(batchCount_, std::memory_order_relaxed);
  const std::string text = BaudRateText(r);
  if (text.empty()) {
    lineChars_ = 0;
    lineOpen_ = false;
    return;
  }
  EmitRecordLine(r, text, IsSpsSide(r.Dir) ? clRed : clBlack);
}

std::uint64_t TReceivePipeline::SkippedRecords(std::uint8_t recType) const {
  return skipped_[recType <= rtFQMess ? recType : 0].load();
}
