/* "BAUDMESS": baud-rate measurement on the four measuring inputs, each in
   turn for 250 ms (0, 1 the RS-485 inputs, 2, 3 the V.24 inputs; chosen
   through the multiplexer on PB0/PB1). The multiplexer's output reaches
   INT0; each falling edge takes a time stamp from timer 0, which runs free
   at CLK/4 (6 MHz). Two falling edges are at least two bits apart (a 0
   and a 1 between them), and the shortest such periods are exactly two
   bits: a 0-1-0 pattern, as a start bit before a data bit 1 and a data bit
   0 gives. The rate is 12 MHz divided by the mean length of the periods
   shorter than 1.25 times the shortest one, so every such pattern in the
   window adds to the result. Only falling edges are timed because the
   edge handler takes about 50 core cycles: at 115200 Bd a single bit is 52.
   A window with fewer than four such periods has no result. Each window
   ends in one buffer of length 6: 0, the rate's bits 16..23, 8..15, 0..7
   (222222 without a result), the number of two-bit periods (at most 255),
   the input code. Traffic without any 0-1-0 pattern reads low. */
#include "board.h"
#include "mailbox.h"
#include "quadbuf.h"

#define NO_RESULT 222222UL
#define WINDOW 1250      /* ticks: 250 ms */
#define LONGEST 50       /* ticks: longer pulses are not measured (10 ms) */
#define MIN_PULSES 4
#define MAX_PULSES 256   /* keeps 12,000,000 * count within 32 bits */
#define RING 8

/* Edge stamps, filled by the two edge handlers. */
static __data unsigned char stamp_lo[RING], stamp_hi[RING], stamp_tick[RING], stamp_gap[RING];
static volatile __data unsigned char head, tail;
static volatile __bit dropped;

#define TAKE_STAMP()                                        \
  do {                                                      \
    unsigned char h = TH0, l = TL0, n;                      \
    if (TH0 != h) {                                         \
      h = TH0;                                              \
      l = TL0;                                              \
    }                                                       \
    n = (head + 1) & (RING - 1);                            \
    if (n == tail) {                                        \
      dropped = 1; /* the next pulse starts afresh */       \
    } else {                                                \
      stamp_lo[head] = l;                                   \
      stamp_hi[head] = h;                                   \
      stamp_tick[head] = tick;                              \
      stamp_gap[head] = dropped;                            \
      dropped = 0;                                          \
      head = n;                                             \
    }                                                       \
  } while (0)

void falling_isr(void) __interrupt(0) __using(1) { TAKE_STAMP(); }

static unsigned char input;
static unsigned int shortest, too_short, short_enough;
static unsigned long sum;
static unsigned int pulses;
static __bit have_prev;
static unsigned int prev_stamp;
static unsigned char prev_tick;

static void thresholds(void) {
  too_short = shortest - (shortest >> 2);
  short_enough = shortest + (shortest >> 2);
  if (short_enough < shortest) short_enough = 0xFFFF;
}

static void pulse(unsigned int w) {
  if (!w) return;
  if (w < shortest) {
    /* A clearly shorter period: what was taken for two bits was not. */
    if (w < too_short) {
      sum = 0;
      pulses = 0;
    }
    shortest = w;
    thresholds();
  }
  if (w < short_enough && pulses < MAX_PULSES) {
    sum += w;
    ++pulses;
  }
}

static void take_edges(void) {
  unsigned int stamp;
  unsigned char t, gap;
  while (tail != head) {
    stamp = ((unsigned int)stamp_hi[tail] << 8) | stamp_lo[tail];
    t = stamp_tick[tail];
    gap = stamp_gap[tail];
    tail = (tail + 1) & (RING - 1);
    if (have_prev && !gap && (unsigned char)(t - prev_tick) < LONGEST) pulse(stamp - prev_stamp);
    prev_stamp = stamp;
    prev_tick = t;
    have_prev = 1;
  }
}

static void start_window(void) {
  EX0 = 0;
  OEB |= 0x03;
  OUTB = (OUTB & ~0x03) | input;
  head = tail = 0;
  dropped = 0;
  have_prev = 0;
  shortest = 0xFFFF;
  thresholds();
  sum = 0;
  pulses = 0;
  IE0 = 0;
  EX0 = 1;
}

static void report(void) {
  unsigned long rate = NO_RESULT;
  if (pulses >= MIN_PULSES && sum) rate = (12000000UL * pulses + sum / 2) / sum;
  if (!qb_room(6)) {
    qb_lost();
    return;
  }
  qb_byte(0);
  qb_byte(rate >> 16);
  qb_byte(rate >> 8);
  qb_byte(rate);
  qb_byte(pulses > 255 ? 255 : pulses);
  qb_byte(input);
  qb_finish();
}

void main(void) {
  unsigned char last_tick, elapsed;
  unsigned int window_left;
  MB_READY = 0xFF;
  CKCON |= CKCON_T0M;
  TMOD = (TMOD & 0xF0) | 0x01; /* timer 0: 16 bits, free running */
  TR0 = 1;
  IT0 = 1; /* edge-triggered */
  PX0 = 1; /* the stamps before the tick */
  qb_init(3);
  qb_start_ticks();
  input = 0;
  start_window();
  window_left = WINDOW;
  last_tick = tick;
  MB_READY = 0;
  for (;;) {
    take_edges();
    elapsed = tick - last_tick;
    if (!elapsed) continue;
    last_tick += elapsed;
    qb_poll();
    if (window_left > elapsed) {
      window_left -= elapsed;
      continue;
    }
    EX0 = 0;
    take_edges();
    report();
    input = (input + 1) & 3;
    start_window();
    window_left = WINDOW;
  }
}
