/* "TESTCHIP": the EEPROM service program. It waits for commands in the
   mailbox (0x10A): 0x40 fills the EEPROM from the offset in 0x10D/0x10E
   to its end with the byte in 0x10F, 0xA0 writes the 256-byte page buffer
   at 0xE00 to that offset. Every write is read back. The answer is 0x10 in
   0x10A, plus an error bit when the EEPROM did not answer, the read-back
   differed or the offset lies beyond the part.

   The board's EEPROM is a 24C64-type (8 KB, 32-byte pages, two address
   bytes) at I2C address 0x51 (A0 tied high); mode 1 in 0x109 instead
   drives a 24C16-type (2 KB, 16-byte pages, one address byte, the block
   in the device address 0x50-0x57). With OLD_BOARD ("TESTCHIP_OLD") the
   part is always the older board's 24C16-type, whatever 0x109 says. */
#include "board.h"
#include "i2c.h"
#include "mailbox.h"

#define READY_VALUE 4
/* Acknowledge polling after a page: a failed poll takes about 110 us, the
   write cycle at most 10 ms on the parts we fit. */
#define WRITE_POLLS 200

static unsigned char address_bytes;
static unsigned char page_size;
static unsigned int eeprom_size;

static void small_part(void) {
  address_bytes = 1;
  page_size = 16;
  eeprom_size = 2048;
}

static void choose_part(void) {
#ifdef OLD_BOARD
  small_part();
#else
  if (MB_EE_MODE == 1) {
    small_part();
  } else {
    address_bytes = 2;
    page_size = 32;
    eeprom_size = 8192;
  }
#endif
}

static unsigned char device_byte(unsigned int offset) {
  if (address_bytes == 1) return (unsigned char)(0xA0 | ((offset >> 7) & 0x0E));
  return 0xA2;
}

/* Addresses the part for a write at `offset`, polling while it is busy
   with an earlier write cycle. */
static __bit select(unsigned int offset) {
  unsigned char tries;
  for (tries = 0; tries < WRITE_POLLS; ++tries) {
    if (i2c_start(device_byte(offset))) {
      if (address_bytes == 2 && !i2c_send((unsigned char)(offset >> 8))) break;
      if (!i2c_send((unsigned char)offset)) break;
      return 1;
    }
    i2c_stop();
  }
  i2c_stop();
  return 0;
}

/* Writes `n` bytes (within one page) from `src`, or `fill` when src is 0. */
static __bit write_chunk(unsigned int offset, __xdata unsigned char *src, unsigned char n, unsigned char fill) {
  if (!select(offset)) return 0;
  while (n--) {
    if (!i2c_send(src ? *src++ : fill)) {
      i2c_stop();
      return 0;
    }
  }
  i2c_stop();
  return 1;
}

/* Reads `n` bytes at `offset` back and compares them with `src` (or with
   `fill` when src is 0). */
static unsigned char verify(unsigned int offset, __xdata unsigned char *src, unsigned int n, unsigned char fill) {
  if (!select(offset)) return EE_ERR_NO_ACK;
  if (!i2c_start((unsigned char)(device_byte(offset) | 1))) {
    i2c_stop();
    return EE_ERR_NO_ACK;
  }
  return i2c_read(n, 0, src, fill) ? 0 : EE_ERR_VERIFY;
}

/* Writes `n` bytes from `offset` on, page by page; `progress` shows the
   bytes done in 0x10E. */
static unsigned char write_range(unsigned int offset, __xdata unsigned char *src, unsigned int n, unsigned char fill,
                                 __bit progress) {
  unsigned char low = (unsigned char)offset;
  unsigned int done = 0;
  unsigned char chunk;
  if (offset >= eeprom_size) return EE_ERR_RANGE;
  if (n > eeprom_size - offset) return EE_ERR_RANGE;
  while (done < n) {
    chunk = page_size - ((unsigned char)(offset + done) & (page_size - 1));
    if (chunk > n - done) chunk = (unsigned char)(n - done);
    if (!write_chunk(offset + done, src ? src + done : 0, chunk, fill)) return EE_ERR_NO_ACK;
    done += chunk;
    if (progress) MB_EE_OFFSET_LO = (unsigned char)(low + done);
  }
  return verify(offset, src, n, fill);
}

static unsigned char run(unsigned char command) {
  unsigned int offset = ((unsigned int)MB_EE_OFFSET_HI << 8) | MB_EE_OFFSET_LO;
  choose_part();
  if (command == EE_CMD_ERASE) {
    if (offset >= eeprom_size) return EE_ERR_RANGE;
    return write_range(offset, 0, eeprom_size - offset, MB_EE_FILL, 0);
  }
  if (command == EE_CMD_WRITE) return write_range(offset, EE_PAGE_BUFFER, 256, 0, 1);
  return EE_ERR_COMMAND;
}

static __bit eeprom_answers(void) {
  __bit found;
  choose_part();
  found = i2c_start(device_byte(0));
  i2c_stop();
  return found;
}

void main(void) {
  unsigned char command;
  OEA |= PA_LED;
  OUTA &= ~PA_LED; /* LED on while the service program runs */
  I2CMODE = 0;     /* 100 kHz: every part we fit takes it */
  MB_EE_FOUND = eeprom_answers();
  /* A command the host wrote before we ran is kept and carried out; the
     host writes the command byte last. */
  command = MB_EE_CMD;
  if (command != EE_CMD_ERASE && command != EE_CMD_WRITE) MB_EE_CMD = EE_DONE;
  MB_SVC_READY = READY_VALUE;
  for (;;) {
    command = MB_EE_CMD;
    if (command & EE_DONE) continue;
    MB_EE_CMD = EE_DONE | run(command);
  }
}
