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

#endif
