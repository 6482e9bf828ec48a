#include "serial/TermiosSettings.h"

namespace {

struct TBaudCode {
  int Rate;
  unsigned Code;
};
constexpr TBaudCode kBaudCodes[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}};

unsigned BaudCode(int rate) {
  for (const TBaudCode& b : kBaudCodes)
    if (b.Rate == rate) return b.Code;
  return BOTHER;
}

}  // namespace

void FillTermios(termios2& t, const TLineSettings& s) {
  // Every byte raw; errors marked in the stream so they can be told from
  // data; framing errors are only marked with INPCK, so it is always on.
  t.c_iflag = INPCK | PARMRK;
  if (s.FlowMode == fcXON_XOF) t.c_iflag |= IXON | IXOFF;
  t.c_oflag = 0;
  t.c_lflag = 0;
  // CLOCAL: a dropping DCD is something to show, not a hang-up.
  t.c_cflag = CREAD | CLOCAL | HUPCL;
  static constexpr unsigned kSizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= kSizes[s.DataBits <= d8bit ? s.DataBits : d8bit];
  // With five data bits the UART makes 1.5 stop bits of CSTOPB.
  if (s.StopBits != st1bit) t.c_cflag |= CSTOPB;
  switch (s.Parity) {
    case paNone:
      break;
    case PaOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case paEven:
      t.c_cflag |= PARENB;
      break;
    case paMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case paSpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
  }
  if (s.FlowMode == fcRTS_CTS) t.c_cflag |= CRTSCTS;
  t.c_cflag |= BaudCode(s.Baudrate);
  t.c_ispeed = t.c_ospeed = static_cast<speed_t>(s.Baudrate);
  for (cc_t& c : t.c_cc) c = 0;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = 0x11;
  t.c_cc[VSTOP] = 0x13;
}

