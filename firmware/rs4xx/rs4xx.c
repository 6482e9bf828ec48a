/* "RS4XX": the serial monitor of "V24" behind RS-422, RS-485 and LIN
   transceivers. The host's mode byte 0x10D (1 RS-485, 2 LIN, 3 RS-422)
   drives the transceiver's mode lines PA2/PA3; records are V24's. The
   monitor loop is the same source, so both images stay in step. */
#define TRANSCEIVER_MODES 1
#include "../v24/v24.c"
