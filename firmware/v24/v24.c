/* "V24": the serial monitor for two V.24 inputs. Every received byte
   becomes a 3-byte record (status, data, tick) in the record buffers;
   line errors and breaks come as a line-status record in front of the byte
   they belong to, changes of the modem lines as an empty record. */
#include "board.h"
#include "mailbox.h"
#include "quadbuf.h"
#include "uart.h"

/* Status byte: bits 0-1 the input (1, 2; 3 a line-status record, 0 an
   empty record), then CTS1, CTS2, DSR1, DSR2, RI (either input) and DCD
   (either input). */
static unsigned char modem;

static unsigned char modem_bits(void) {
  unsigned char m1 = UART_REG(UART1_BASE, UART_MSR), m2 = UART_REG(UART2_BASE, UART_MSR);
  unsigned char s = 0;
  if (m1 & MSR_CTS) s |= 0x04;
  if (m2 & MSR_CTS) s |= 0x08;
  if (m1 & MSR_DSR) s |= 0x10;
  if (m2 & MSR_DSR) s |= 0x20;
  if ((m1 | m2) & MSR_RI) s |= 0x40;
  if ((m1 | m2) & MSR_DCD) s |= 0x80;
  return s;
}

/* One input: the bytes waiting in its FIFO, each with its line-status
   record first when the UART flags it. The data byte of a line-status
   record carries the error bits as the UART reports them, and bit 7 for
   input 2. Addresses are constants so that each access is one MOVX. */
#define DEFINE_TAKE(name, BASE, INPUT, INPUT_BIT)                          \
  static void name(void) {                                                \
    unsigned char lsr, n = 16;                                            \
    while (n--) {                                                         \
      lsr = XREG((BASE) + UART_LSR);                                      \
      if (!(lsr & (LSR_DR | LSR_OE))) return;                             \
      if (!qb_room(6)) return; /* the host is behind: the FIFO holds on */ \
      if (lsr & LSR_ERRORS) qb_record(modem | 3, (lsr & LSR_ERRORS) | (INPUT_BIT)); \
      if (!(lsr & LSR_DR)) return;                                        \
      qb_record(modem | (INPUT), XREG((BASE) + UART_RBR));                \
    }                                                                     \
  }
DEFINE_TAKE(take1, UART1_BASE, 1, 0)
DEFINE_TAKE(take2, UART2_BASE, 2, 0x80)

#ifdef TRANSCEIVER_MODES
/* PA2/PA3 carry the two low bits of the mode byte to the transceivers. */
static void follow_mode(void) {
  unsigned char want = (MB_MODE & 3) << 2;
  OEA |= PA_MODE0 | PA_MODE1;
  if ((OUTA & (PA_MODE0 | PA_MODE1)) != want) OUTA = (OUTA & ~(PA_MODE0 | PA_MODE1)) | want;
}
#endif

void main(void) {
  unsigned char last_tick, m;
  MB_READY = 0xFF;
  uart_default_config();
  uart_follow_config();
  qb_init(3);
  qb_start_ticks();
  modem = modem_bits();
  last_tick = tick;
  MB_SEND_DONE = MB_SEND_GO;
  MB_READY = 0;
  for (;;) {
    take1();
    take2();
    uart_send_frame();
    if (tick != last_tick) {
      last_tick = tick;
      m = modem_bits();
      if (m != modem && qb_room(3)) {
        modem = m;
        qb_record(modem, 0);
      }
      qb_poll();
      uart_follow_config();
#ifdef TRANSCEIVER_MODES
      follow_mode();
#endif
    }
  }
}
