// The programmer's telegrams as send lines ("identifier 0xNN 0xNN …", the
// notation of the send dialog) and what a received frame means to it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "CanFrame.h"

namespace prog {

std::string ConnectTelegram();                                  // select node 0xFF
std::string EraseTelegram();                                    // the whole flash
std::string TransferStartTelegram(unsigned first, unsigned last);  // flash, first … last
std::string DataTelegram(std::span<const std::uint8_t> bytes);  // 1 … 8 bytes
std::string StartProgramTelegram();                             // jump to 0x0000
std::string ReadExtraTelegram(std::uint8_t index);
// valueText: the edit's hexadecimal text, one or two digits.
std::string WriteExtraTelegram(std::uint8_t index, const std::string& valueText);

// The configuration bytes of the extras page in the order of its edits
// (P1_CF, P3_CF, P4_CF, BSB, EB, SBV).
inline constexpr std::uint8_t kExtraCount = 6;
std::uint8_t ExtraIndex(int edit);

enum class TAnswer {
  None,        // not the boot loader's, or not an answer
  Opened,      // select node: communication open
  Closed,      // select node: communication closed
  StartOk,     // transfer start accepted
  DataMore,    // bytes written, send the next
  DataDone,    // bytes written up to the last address
  DataFail,
  WriteOk,     // erase or configuration byte done
  ReadValue,   // a configuration byte
  Refused,     // error identifier
};

struct TAnswerInfo {
  TAnswer Kind = TAnswer::None;
  std::uint8_t Value = 0;  // boot version, byte read, or the error code
};

// Only standard data frames on the boot loader's identifiers count; what the
// host itself sends on them (longer frames) is told apart by length.
TAnswerInfo ClassifyAnswer(const TCanFrame& frame);

}  // namespace prog
