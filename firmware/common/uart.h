/* The two channels of the dual UART as the serial images use them. */
#ifndef TAMARIK_UART_H
#define TAMARIK_UART_H

/* Applies divisor, clock choice and format from the host's configuration
   bytes (input 1 at 0x101..0x106, input 2 at 0x7B..0x7F) when any changed. */
void uart_follow_config(void);
/* Writes defaults (9600 Bd, 8N1) into the configuration bytes. */
void uart_default_config(void);
/* Sends the host's frame at 0x80 when 0x77 carries a new sequence number,
   then reports it in 0x7A. */
void uart_send_frame(void);

#endif
