/* "TESTCHIP_OLD": the EEPROM service program for the older board, whose
   configuration EEPROM is a 24C16-type (one address byte) at 0x50. */
#define OLD_BOARD 1
#include "../testchip/testchip.c"
