#include "uart.h"

#include "board.h"
#include "mailbox.h"

static __xdata unsigned char applied[11];

static unsigned char lcr_of(unsigned char bits, unsigned char stop, unsigned char parity) {
  unsigned char lcr = (bits >= 5 && bits <= 8) ? bits - 5 : 3;
  if (stop) lcr |= 0x04;
  return lcr | (parity & 0x38);
}

static void program(unsigned base, unsigned char hi, unsigned char lo, volatile __xdata unsigned char *fmt) {
  unsigned char lcr = lcr_of(fmt[0], fmt[1], fmt[2]);
  UART_REG(base, UART_LCR) = LCR_DLAB;
  UART_REG(base, UART_RBR) = lo;
  UART_REG(base, UART_IER) = hi;
  UART_REG(base, UART_LCR) = lcr;
  UART_REG(base, UART_IER) = 0;       /* polled */
  UART_REG(base, UART_FCR) = 0x07;    /* FIFOs on and cleared */
  UART_REG(base, UART_MCR) = 0x03;    /* DTR, RTS */
}

void uart_default_config(void) {
  MB_IN1[0] = 0;
  MB_IN1[1] = 72; /* 691200 / 9600 */
  MB_IN1[2] = 0;
  MB_IN1[3] = 8;
  MB_IN1[4] = 0;
  MB_IN1[5] = 0;
  MB_IN2[0] = 0;
  MB_IN2[1] = 72;
  MB_IN2[2] = 8;
  MB_IN2[3] = 0;
  MB_IN2[4] = 0;
  applied[0] = ~MB_IN1[0]; /* forces the first programming */
}

void uart_follow_config(void) {
  unsigned char i, changed = 0;
  for (i = 0; i < 6; ++i)
    if (applied[i] != MB_IN1[i]) {
      applied[i] = MB_IN1[i];
      changed = 1;
    }
  for (i = 0; i < 5; ++i)
    if (applied[6 + i] != MB_IN2[i]) {
      applied[6 + i] = MB_IN2[i];
      changed = 1;
    }
  if (!changed) return;
  OEA |= PA_CLOCK12;
  if (applied[2])
    OUTA |= PA_CLOCK12;
  else
    OUTA &= ~PA_CLOCK12;
  program(UART1_BASE, applied[0], applied[1], &MB_IN1[3]);
  program(UART2_BASE, applied[6], applied[7], &MB_IN2[2]);
}

/* The send runs alongside the receiving, a FIFO load at a time, so that a
   long frame at a low rate does not stop the inputs. */
static unsigned char send_state, send_seq, send_pos, send_n, send_lcr;
static unsigned send_base;

void uart_send_frame(void) {
  unsigned char lsr, end;
  if (send_state == 0) {
    send_seq = MB_SEND_GO;
    if (send_seq == MB_SEND_DONE || send_seq != MB_FRAME[FRAME_SEQ]) return;
    send_base = MB_FRAME[FRAME_TARGET] ? UART2_BASE : UART1_BASE;
    send_n = MB_FRAME[FRAME_COUNT];
    if (send_n > 118) send_n = 118;
    send_pos = 0;
    send_state = 2;
    if (MB_FRAME[FRAME_BREAK] == 1) {
      /* The line is held low while two characters' time goes by. */
      send_lcr = UART_REG(send_base, UART_LCR);
      UART_REG(send_base, UART_LCR) = send_lcr | LCR_BREAK;
      UART_REG(send_base, UART_RBR) = 0;
      UART_REG(send_base, UART_RBR) = 0;
      send_state = 1;
    }
    return;
  }
  lsr = UART_REG(send_base, UART_LSR);
  if (send_state == 1) {
    if (!(lsr & 0x40)) return;
    UART_REG(send_base, UART_LCR) = send_lcr;
    send_state = 2;
    return;
  }
  if (!(lsr & LSR_THRE)) return;
  /* The empty transmit FIFO takes 16 bytes at once. */
  end = send_pos + 16;
  if (end > send_n) end = send_n;
  while (send_pos < end) UART_REG(send_base, UART_RBR) = MB_FRAME[FRAME_DATA + send_pos++];
  if (send_pos == send_n) {
    MB_SEND_DONE = send_seq;
    send_state = 0;
  }
}
