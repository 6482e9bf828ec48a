/* "FQ": frequency measurement. Timer 0 counts the falling edges of the
   input chosen by 0x101 (0, 1 the RS-485 inputs, 2, 3 the V.24 inputs;
   routed to T0 through the board's multiplexer on PB0/PB1) over a gate of
   0x102 seconds (1..255) timed by the 200 us ticks. Each result is one
   buffer of length 6: bits 24..31 of the count (0 unless it overflowed 24
   bits), the count's bits 16..23, 8..15, 0..7, the gate in seconds, the
   input code. */
#include "board.h"
#include "mailbox.h"
#include "quadbuf.h"

#define MB_FQ_INPUT MB(0x101)
#define MB_FQ_CYCLE MB(0x102)

static volatile unsigned int overflows;

void t0_isr(void) __interrupt(1) { overflows++; }

static unsigned char input, cycle, asked_cycle;
static unsigned long gate_left; /* ticks */
static unsigned char last_tick;

static void start_gate(void) {
  input = MB_FQ_INPUT & 3;
  asked_cycle = MB_FQ_CYCLE;
  cycle = asked_cycle ? asked_cycle : 1;
  OEB |= 0x03;
  OUTB = (OUTB & ~0x03) | input;
  TR0 = 0;
  TH0 = 0;
  TL0 = 0;
  overflows = 0;
  gate_left = (unsigned long)cycle * 5000;
  /* The gate opens and closes on a tick's edge. */
  last_tick = tick;
  while (tick == last_tick) {}
  last_tick = tick;
  TR0 = 1;
}

static void report(void) {
  unsigned char hi = overflows >> 8, mid = overflows & 0xFF;
  if (!qb_room(6)) {
    qb_lost();
    return;
  }
  qb_byte(hi);
  qb_byte(mid);
  qb_byte(TH0);
  qb_byte(TL0);
  qb_byte(cycle);
  qb_byte(input);
  qb_finish();
}

void main(void) {
  unsigned char elapsed;
  MB_READY = 0xFF;
  MB_FQ_INPUT = 2;
  MB_FQ_CYCLE = 1;
  TMOD = (TMOD & 0xF0) | 0x05; /* timer 0: counter, 16 bits */
  ET0 = 1;
  qb_init(3);
  qb_start_ticks();
  MB_READY = 0;
  start_gate();
  for (;;) {
    elapsed = tick - last_tick;
    if (!elapsed) continue;
    last_tick += elapsed;
    if (gate_left <= elapsed) {
      TR0 = 0;
      report();
      start_gate();
      continue;
    }
    gate_left -= elapsed;
    qb_poll();
    if ((MB_FQ_INPUT & 3) != input || MB_FQ_CYCLE != asked_cycle) start_gate();
  }
}
