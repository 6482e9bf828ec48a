/* How the interface board is wired, as the images assume it (see
   firmware/README.md): a dual 16550-type UART and an SJA1000 on the
   external data bus, port A for the crystal choice, LED and transceivers. */
#ifndef TAMARIK_BOARD_H
#define TAMARIK_BOARD_H

#include "ezusb.h"

/* Dual UART: channel 1 (input 1, port A of the host) at 0x4000, channel 2
   (input 2, port B) at 0x4008; both clocked from the crystal chosen by PA0. */
#define UART1_BASE 0x4000
#define UART2_BASE 0x4008
#define UART_RBR 0 /* read; THR on write; DLL with DLAB */
#define UART_IER 1 /* DLM with DLAB */
#define UART_FCR 2
#define UART_LCR 3
#define UART_MCR 4
#define UART_LSR 5
#define UART_MSR 6
#define UART_REG(base, r) XREG((base) + (r))

#define LSR_DR 0x01
#define LSR_OE 0x02
#define LSR_PE 0x04
#define LSR_FE 0x08
#define LSR_BI 0x10
#define LSR_THRE 0x20
#define LSR_ERRORS (LSR_OE | LSR_PE | LSR_FE | LSR_BI)
#define LCR_DLAB 0x80
#define LCR_BREAK 0x40

#define MSR_CTS 0x10
#define MSR_DSR 0x20
#define MSR_RI 0x40
#define MSR_DCD 0x80

/* Port A: PA0 crystal (0: 11.0592 MHz, 1: 12 MHz) for the UARTs, PA1 the
   LED (low = on), PA2/PA3 the RS-4xx transceiver mode, PA4..PA6 the CAN
   transceiver's RS, EN and NSTB lines. */
#define PA_CLOCK12 0x01
#define PA_LED 0x02
#define PA_MODE0 0x04
#define PA_MODE1 0x08
#define PA_CAN_RS 0x10
#define PA_CAN_EN 0x20
#define PA_CAN_NSTB 0x40

/* SJA1000 in PeliCAN mode at 0x6000..0x607F. */
#define SJA_BASE 0x6000

#endif
