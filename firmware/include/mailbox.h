/* The memory the host reads and writes through the memory-load request:
   configuration bytes, the send frame and the four record buffers. */
#ifndef TAMARIK_MAILBOX_H
#define TAMARIK_MAILBOX_H

#include "ezusb.h"

#define MB(a) XREG(a)

/* Send handshake: the host writes the frame at 0x80, its sequence into
   0x77; the image answers with the same number in 0x7A when it is out. */
#define MB_SEND_GO MB(0x77)
#define MB_SEND_DONE MB(0x7A)
#define MB_FRAME ((volatile __xdata unsigned char *)0x80)
#define FRAME_BREAK 4
#define FRAME_TARGET 5
#define FRAME_COUNT 6
#define FRAME_SEQ 7
#define FRAME_DATA 8

/* Input 2's format (input 1's lies at 0x101..0x106). */
#define MB_IN2 ((volatile __xdata unsigned char *)0x7B)

#define MB_READY MB(0x100)
#define MB_IN1 ((volatile __xdata unsigned char *)0x101)
#define MB_FILL_SLOT MB(0x10B)
#define MB_READ_SLOT MB(0x10C)
#define MB_MODE MB(0x10D)

#define RECORD_BUFFERS 0x0900

/* The EEPROM service program's mailbox. The host writes the page to the
   page buffer, the offset to 0x10D/0x10E and the command to 0x10A last;
   the program answers with bit 0x10 in 0x10A. */
#define MB_SVC_READY MB(0x101)    /* 4 once the service program runs */
#define MB_EE_FOUND MB(0x108)     /* 1 when the EEPROM answered at start */
#define MB_EE_MODE MB(0x109)      /* word address bytes: 1 or 2; above 16: not set */
#define MB_EE_CMD MB(0x10A)
#define MB_EE_OFFSET_HI MB(0x10D)
#define MB_EE_OFFSET_LO MB(0x10E) /* while writing: progress within the page */
#define MB_EE_FILL MB(0x10F)
#define EE_PAGE_BUFFER ((volatile __xdata unsigned char *)0x0E00)

#define EE_CMD_ERASE 0x40
#define EE_CMD_WRITE 0xA0
#define EE_DONE 0x10
/* Added to EE_DONE when the command failed. */
#define EE_ERR_NO_ACK 0x01   /* the EEPROM did not answer */
#define EE_ERR_VERIFY 0x02   /* read back differs */
#define EE_ERR_RANGE 0x04    /* beyond the EEPROM's end */
#define EE_ERR_COMMAND 0x08  /* unknown command */

#endif
