/* The four 256-byte record buffers at 0x900..0xCFF that the host polls:
   byte 0 the payload length, byte 1 the buffer's number once it is
   complete (high four bits: 0x10 = records were lost before this buffer),
   byte 2 the reference tick (serial and measurement images), records from
   byte 3 (from byte 2 for CAN, whose L is then the offset just past the
   last record). A buffer is completed when the next record
   no longer fits or its first record is 10 ms old. */
#ifndef TAMARIK_QUADBUF_H
#define TAMARIK_QUADBUF_H

/* 200 us ticks from timer 2, wrapping at 256. */
extern volatile unsigned char tick;
void tick_isr(void) __interrupt(5);
/* Timer 2 in auto-reload at CLK/4: 1200 counts are 200 us. */
void qb_start_ticks(void);

/* first_offset: 3 with a reference tick in byte 2, 2 without. */
void qb_init(unsigned char first_offset);
/* Room for `need` more bytes in the buffer being filled, completing it and
   starting the next when needed; 0 while the host still reads the next. */
__bit qb_room(unsigned char need);
void qb_byte(unsigned char value);
/* Where the next `n` bytes go (after qb_room(n)): for writing a record at once. */
__xdata unsigned char *qb_put(unsigned char n);
/* status, data and the tick now: the 3-byte record of the serial images. */
void qb_record(unsigned char status, unsigned char data);
/* Once per tick: completes an aged buffer, follows the host's 0x10C. */
void qb_poll(void);
/* Completes the buffer now (a measurement is one buffer). */
void qb_finish(void);
/* Something could not be stored: the next completed buffer says so. */
void qb_lost(void);
/* Ticks since the buffer being filled got its first byte. */
unsigned char qb_age(void);

#endif
