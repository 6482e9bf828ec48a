#include "quadbuf.h"

#include "mailbox.h"

#define BUF(s) ((__xdata unsigned char *)(RECORD_BUFFERS + ((unsigned)(s) << 8)))
#define CAPACITY 253 /* payload bytes after the three header bytes */
/* CAN buffers: L is the offset just past the last record (records from
   byte 2), and the host reads L + 3 bytes of 256. */
#define CAN_CAPACITY 251
#define MAX_AGE 50   /* ticks: 10 ms */
#define OPEN 0x0F    /* byte 1 of a buffer being filled: never a number 0..3 */
#define HOST_READ 0x0E /* byte 1 as the host leaves a buffer it has read */

volatile unsigned char tick;

static __xdata unsigned char *buf;
static unsigned char cur, fill, start_tick, first, limit, seen_read, consumed, lost;
static __bit complete;

void tick_isr(void) __interrupt(5) {
  TF2 = 0;
  tick++;
}

void qb_start_ticks(void) {
  CKCON |= CKCON_T2M;
  RCAP2H = (65536u - 1200u) >> 8;
  RCAP2L = (65536u - 1200u) & 0xFF;
  TH2 = RCAP2H;
  TL2 = RCAP2L;
  T2CON = 0x04; /* TR2, auto-reload */
  ET2 = 1;
  EA = 1;
}

static void begin(unsigned char s) {
  cur = s;
  buf = BUF(s);
  fill = 0;
  complete = 0;
  buf[1] = OPEN;
  consumed &= ~(1 << s);
  MB_FILL_SLOT = s;
}

static void finish(void) {
  buf[0] = first == 2 ? fill + 2 : fill;
  buf[1] = cur | lost;
  lost = 0;
  complete = 1;
}

/* The host reads the buffers in turn and names the one it reads in 0x10C;
   every buffer it has moved past is free again, and no longer marked
   complete: when the host comes round to it before it is filled again, it
   must wait instead of reading the old records a second time. */
static void follow_host(void) {
  unsigned char r = MB_READ_SLOT & 3;
  while (seen_read != r) {
    consumed |= 1 << seen_read;
    if (seen_read != cur) BUF(seen_read)[1] = OPEN;
    seen_read = (seen_read + 1) & 3;
  }
}

static __bit advance(void) {
  unsigned char next = (cur + 1) & 3;
  follow_host();
  /* A buffer the host marked as read is free too: a host that reads a few
     complete buffers quickly can come full circle to the number 0x10C held
     when we last looked, and 0x10C alone would not show it moved. */
  if (!(consumed & (1 << next)) && BUF(next)[1] != HOST_READ) return 0;
  begin(next);
  return 1;
}

void qb_init(unsigned char first_offset) {
  unsigned char s;
  first = first_offset;
  limit = first_offset == 2 ? CAN_CAPACITY : CAPACITY;
  for (s = 0; s < 4; ++s) BUF(s)[1] = OPEN;
  seen_read = MB_READ_SLOT & 3;
  consumed = 0x0F;
  lost = 0;
  begin(0);
}

__bit qb_room(unsigned char need) {
  if (complete) return advance();
  if (fill <= (unsigned char)(limit - need)) return 1;
  finish();
  return advance();
}

void qb_byte(unsigned char value) {
  if (fill == 0) {
    start_tick = tick;
    if (first == 3) buf[2] = start_tick;
  }
  buf[first + fill] = value;
  ++fill;
}

__xdata unsigned char *qb_put(unsigned char n) {
  __xdata unsigned char *p;
  if (fill == 0) {
    start_tick = tick;
    if (first == 3) buf[2] = start_tick;
  }
  p = buf + first + fill;
  fill += n;
  return p;
}

void qb_record(unsigned char status, unsigned char data) {
  __xdata unsigned char *p;
  if (fill == 0) {
    start_tick = tick;
    if (first == 3) buf[2] = start_tick;
  }
  p = buf + first + fill;
  *p++ = status;
  *p++ = data;
  *p = tick;
  fill += 3;
}

void qb_finish(void) {
  if (complete || !fill) return;
  finish();
  advance();
}

void qb_lost(void) { lost = 0x10; }

unsigned char qb_age(void) { return fill ? (unsigned char)(tick - start_tick) : 0; }

void qb_poll(void) {
  unsigned char r;
  if (complete) {
    advance();
    return;
  }
  /* The host's first pass after activation writes every buffer; what this
     one held before is gone. */
  if (buf[1] != OPEN) {
    if (fill) lost = 0x10;
    fill = 0;
    buf[1] = OPEN;
  }
  /* The host waits for the buffer after the open one: it skipped this one
     (it starts after the one it found in 0x10B), so the records move into
     the one it waits for. Only into a free one: a host that still reads
     (or has yet to read) that buffer names it in 0x10C too, and its
     records must stay. */
  r = MB_READ_SLOT & 3;
  if (r == ((cur + 1) & 3) && (consumed & (1 << r))) {
    __xdata unsigned char *to = BUF(r);
    unsigned char i, skipped = cur;
    follow_host();
    for (i = 2; i < first + fill; ++i) to[i] = buf[i];
    r = fill;
    begin((cur + 1) & 3);
    fill = r;
    /* The host went past the emptied buffer without 0x10C naming it past
       us: it is free, or coming round to it we would wait for each other. */
    consumed |= 1 << skipped;
    return;
  }
  if (fill && (unsigned char)(tick - start_tick) >= MAX_AGE) {
    finish();
    advance();
  }
}
