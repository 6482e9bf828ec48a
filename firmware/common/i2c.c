#include "i2c.h"

#include "ezusb.h"

/* About 3 ms at 100 kHz: far beyond one byte's 90 us. */
#define DONE_POLLS 4000

static unsigned char wait_done(void) {
  unsigned int n;
  unsigned char s;
  for (n = 0; n < DONE_POLLS; ++n) {
    s = I2CS;
    if (s & I2CS_DONE) return s;
  }
  return I2CS_BERR;
}

static __bit acked(unsigned char s) { return (s & (I2CS_BERR | I2CS_ACK)) == I2CS_ACK; }

__bit i2c_start(unsigned char address_byte) {
  I2CS = I2CS_START;
  I2DAT = address_byte;
  return acked(wait_done());
}

__bit i2c_send(unsigned char value) {
  I2DAT = value;
  return acked(wait_done());
}

void i2c_stop(void) {
  unsigned int n;
  I2CS = I2CS_STOP;
  for (n = 0; n < DONE_POLLS && (I2CS & I2CS_STOP); ++n) {
  }
}

__bit i2c_read(unsigned int n, __xdata unsigned char *sink, __xdata unsigned char *compare, unsigned char fill) {
  __bit same = 1;
  unsigned char v;
  if (n == 1) I2CS = I2CS_LASTRD;
  v = I2DAT; /* the address byte; clocks in the first data byte */
  while (n) {
    if (wait_done() & I2CS_BERR) {
      i2c_stop();
      return 0;
    }
    if (n == 2) I2CS = I2CS_LASTRD; /* before taking the second-to-last */
    if (n == 1) I2CS = I2CS_STOP;   /* then the last is taken without another read */
    v = I2DAT;
    if (sink) *sink++ = v;
    if (compare) {
      if (v != *compare) same = 0;
      ++compare;
    } else if (!sink && v != fill) {
      same = 0;
    }
    --n;
  }
  for (n = 0; n < DONE_POLLS && (I2CS & I2CS_STOP); ++n) {
  }
  return same;
}
