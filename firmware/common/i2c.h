/* Byte transfers through the chip's I2C master: each call waits for DONE
   (with a bound, so a dead controller cannot hang the program) and says
   whether the byte was acknowledged without a bus error. */
#ifndef TAMARIK_I2C_H
#define TAMARIK_I2C_H

/* START, then the address byte (device << 1 | read). */
__bit i2c_start(unsigned char address_byte);
__bit i2c_send(unsigned char value);
/* STOP, waiting until the stop condition is on the bus. */
void i2c_stop(void);
/* Reads n (1..65535) bytes after an acknowledged read address, the last
   one not acknowledged, and ends with STOP. Each byte goes to `sink`
   unless it is 0; with `compare`, bytes are compared instead and the
   result says whether all matched. */
__bit i2c_read(unsigned int n, __xdata unsigned char *sink, __xdata unsigned char *compare, unsigned char fill);

#endif
