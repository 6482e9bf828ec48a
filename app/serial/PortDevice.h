// What a serial port component needs from the device under it. The termios
// implementation talks to /dev; tests put a pseudo-terminal or a fake behind
// the same interface. Every call returns 0 or an errno value.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

enum eParity : std::uint8_t { paNone, PaOdd, paEven, paMark, paSpace };
enum eDataBits : std::uint8_t { d5bit, d6bit, d7bit, d8bit };
enum eStopBits : std::uint8_t { st1bit, st1bit5, st2bit };
enum eFlowControl : std::uint8_t { fcNone, fcRTS_CTS, fcDTR_DSR, fcXON_XOF };

struct TLineSettings {
  int Baudrate = 9600;
  eParity Parity = paNone;
  eDataBits DataBits = d8bit;
  eStopBits StopBits = st1bit;
  eFlowControl FlowMode = fcDTR_DSR;
};

// Modem lines: inputs CTS, DSR, DCD, RI; outputs RTS, DTR.
inline constexpr unsigned mlCTS = 0x01;
inline constexpr unsigned mlDSR = 0x02;
inline constexpr unsigned mlDCD = 0x04;
inline constexpr unsigned mlRI = 0x08;
inline constexpr unsigned mlRTS = 0x10;
inline constexpr unsigned mlDTR = 0x20;

// Running totals of line errors since the device was opened.
struct TLineCounters {
  std::uint32_t Parity = 0;
  std::uint32_t Frame = 0;
  std::uint32_t Overrun = 0;  // the UART's and the driver buffer's
  std::uint32_t Break = 0;
};

// What ended a wait.
inline constexpr unsigned peData = 0x01;      // bytes to read
inline constexpr unsigned peModem = 0x02;     // a modem input may have changed
inline constexpr unsigned peHangup = 0x04;    // the device is gone
inline constexpr unsigned peReleased = 0x08;  // ReleaseWaits was called

class TPortDevice {
 public:
  virtual ~TPortDevice() = default;

  // path is the full device path ("/dev/ttyUSB0"). Opens exclusively.
  virtual int Open(const std::string& path) = 0;
  // Ends every wait first, so no other thread is inside a call when the
  // device is closed.
  virtual int Close() = 0;
  virtual bool IsOpen() const = 0;

  // Raw bytes, error marks on (0xFF 0x00 x before a faulty byte, 0xFF 0xFF
  // for a data byte 0xFF), parity marked even when it is not checked.
  virtual int Configure(const TLineSettings& settings) = 0;
  // The rate the driver runs at after Configure; ENOTTY where it cannot say.
  virtual int ActualBaudrate(int& rate) {
    rate = 0;
    return ENOTTY;
  }
  // Discards pending input and output.
  virtual int Purge() = 0;

  // Blocks until an event; returns the event bits, 0 with error set on a
  // failed wait.
  virtual unsigned WaitEvent(int& error) = 0;
  // Makes every pending and future wait and write return at once until the
  // next Open. Any thread.
  virtual void ReleaseWaits() = 0;

  // Reads what is buffered, at most max bytes, without waiting.
  virtual int Read(std::uint8_t* buffer, std::size_t max, std::size_t& got) = 0;
  // Writes one byte; timeoutMs 0 waits without limit (ETIMEDOUT otherwise).
  virtual int Write(std::uint8_t byte, int timeoutMs) = 0;
  // Writes at least one byte of data (written tells how many), as many as
  // the device takes at once; the same waits and results as Write.
  virtual int WriteSome(const std::uint8_t* data, std::size_t size, std::size_t& written, int timeoutMs) {
    written = 0;
    if (size == 0) return 0;
    const int result = Write(data[0], timeoutMs);
    if (result == 0) written = 1;
    return result;
  }
  // True while written bytes have not left the transmitter yet.
  virtual int OutputPending(bool& pending) = 0;

  // ENOTTY where the device has no modem lines (pseudo-terminals).
  virtual int GetModemLines(unsigned& lines) = 0;
  virtual int SetModemLine(unsigned line, bool on) = 0;
  virtual int SetBreak(bool on) = 0;
  // ENOTTY where the device keeps no error counters.
  virtual int GetCounters(TLineCounters& counters) = 0;
};

// Whether a driver's rate is the one asked for, within what a UART at the
// other end still reads without errors.
inline bool BaudrateTaken(int requested, int actual) {
  const long long difference = static_cast<long long>(requested) - actual;
  return (difference < 0 ? -difference : difference) * 100 <= static_cast<long long>(requested) * 2;
}
