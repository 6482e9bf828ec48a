/* "BLINKLED": the LED on PA1 toggles every 250 ms (1250 ticks of 200 us),
   so that a board can be checked without a host program. */
#include "board.h"
#include "mailbox.h"
#include "quadbuf.h"

void main(void) {
  unsigned char last = 0;
  unsigned int count = 0;
  OEA |= PA_LED;
  OUTA |= PA_LED;
  qb_start_ticks();
  MB_READY = 0;
  for (;;) {
    if (tick == last) continue;
    last = tick;
    if (++count < 1250) continue;
    count = 0;
    OUTA ^= PA_LED;
  }
}
