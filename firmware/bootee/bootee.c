/* "BOOTEE": the program the chip loads from its configuration EEPROM at
   power-up (packed into the chip's 0xB2 boot format with our USB
   identifiers, so the box is known as an interface before any firmware
   is loaded). It puts the board's lines into their quiet state - the
   RS-4xx and CAN transceivers off, the UART crystal at 11.0592 MHz - and
   lights the LED, then idles until the host holds the core and loads a
   firmware. No interrupts: the image is the reset jump and this code. */
#include "board.h"

void main(void) {
  OUTA = (unsigned char)~(PA_LED | PA_CLOCK12 | PA_MODE0 | PA_MODE1 | PA_CAN_EN);
  OEA = PA_LED | PA_CLOCK12 | PA_MODE0 | PA_MODE1 | PA_CAN_RS | PA_CAN_EN | PA_CAN_NSTB;
  for (;;) {
  }
}
