// The automation object's constants as its clients see them: bus name,
// object path and interface, the enumerations and the status codes. The
// introspection file beside this header lists the same names.
#pragma once

#include <cstdint>

inline constexpr const char* kAutomationService = "org.tamarik.Tamarik";
inline constexpr const char* kAutomationPath = "/Tamarik";
inline constexpr const char* kAutomationInterface = "org.tamarik.Quorvent.ITamarik";

// Telegram type of OnRxDataCAN.
enum TCanTyp : std::int32_t {
  ctID11 = 1,
  ctID29 = 2,
  ctBusErr = 4,
  ctBusErrOverflow = 5,
  ctBusErrDetail = 6,
  ctBusErrNotSend = 7,
  ctBusErrOther = 8,
};

enum TCOMDataBit : std::int32_t { comDbt5 = 5, comDbt6 = 6, comDbt7 = 7, comDbt8 = 8 };
enum TCOMStopBit : std::int32_t { comSbt1 = 1, comSbt2 = 2 };
enum TCOMParity : std::int32_t {
  comParityNone = 0,
  comParityEven = 1,
  comParityOdd = 2,
  comParityMark = 3,
  comParitySpace = 4,
};
enum TCOMPortAB : std::int32_t { comPortAB = 1, comPortA = 2, comPortB = 3 };

// SendData's Value.
inline constexpr int kSendOk = 0;
inline constexpr int kSendBadPort = 1;
inline constexpr int kSendEmpty = 2;
// A character of a binary text that is no single byte: nothing is sent
// rather than a different byte.
inline constexpr int kSendNotByte = 3;

// SendByte's Value bits.
inline constexpr int kByteBadPort = 1;
inline constexpr int kByteOutOfRange = 2;
inline constexpr int kByteCanMode = 4;

// SetCOM's Value bits.
inline constexpr int kComBadDirection = 1;
inline constexpr int kComBadUsbMode = 2;
inline constexpr int kComBadPortAB = 4;
inline constexpr int kComBadBaud = 16;
inline constexpr int kComBadDataBit = 32;
inline constexpr int kComBadStopBit = 64;
inline constexpr int kComBadParity = 128;
