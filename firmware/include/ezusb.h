/* The EZ-USB core's registers that our images use: the SFRs beyond the
   8052's and the register block in external data space. Macros, not
   absolute variables, so that every module may include this. */
#ifndef TAMARIK_EZUSB_H
#define TAMARIK_EZUSB_H

#include <8052.h>

__sfr __at(0x8E) CKCON;
__sfr __at(0x91) EXIF;
__sfr __at(0x92) MPAGE;
__sfr __at(0xD8) EICON;
__sfr __at(0xE8) EIE;

/* CKCON: timers count CLK/4 instead of CLK/12. */
#define CKCON_T0M 0x08
#define CKCON_T1M 0x10
#define CKCON_T2M 0x20

#define XREG(a) (*(volatile __xdata unsigned char *)(a))

/* Ports A-C: output latch, pin state, output enable. */
#define OUTA XREG(0x7F96)
#define OUTB XREG(0x7F97)
#define OUTC XREG(0x7F98)
#define PINSA XREG(0x7F99)
#define PINSB XREG(0x7F9A)
#define PINSC XREG(0x7F9B)
#define OEA XREG(0x7F9C)
#define OEB XREG(0x7F9D)
#define OEC XREG(0x7F9E)
#define PORTACFG XREG(0x7F93)
#define PORTBCFG XREG(0x7F94)
#define PORTCCFG XREG(0x7F95)

/* I2C controller. */
#define I2CS XREG(0x7FA5)
#define I2DAT XREG(0x7FA6)
#define I2CMODE XREG(0x7FA7)
#define I2CS_START 0x80
#define I2CS_STOP 0x40
#define I2CS_LASTRD 0x20
#define I2CS_BERR 0x04
#define I2CS_ACK 0x02
#define I2CS_DONE 0x01

#define CPUCS XREG(0x7F92)

#endif
