/* Compiler-generated code for the comparison: sorting in external RAM,
   a CRC, 32-bit multiply and divide from the library, recursion, bit
   variables and a function pointer table. */
#include <stdint.h>

__xdata uint8_t table[64];
__xdata uint16_t crcOut;
__xdata uint32_t longs[4];
__data uint8_t fibOut;
__bit flagA, flagB;

static uint16_t crc16(__xdata uint8_t *p, uint8_t n) {
  uint16_t crc = 0xFFFF;
  while (n--) {
    crc ^= *p++;
    for (uint8_t i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

static uint8_t fib(uint8_t n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }

static uint8_t twice(uint8_t v) { return v * 2; }
static uint8_t halve(uint8_t v) { return v / 2; }
static uint8_t (*const ops[2])(uint8_t) = {twice, halve};

void main(void) {
  uint8_t i, j, t;
  for (i = 0; i < 64; ++i) table[i] = (uint8_t)(i * 37 + 11);
  for (i = 0; i < 63; ++i)
    for (j = 0; j < 63 - i; ++j)
      if (table[j] > table[j + 1]) {
        t = table[j];
        table[j] = table[j + 1];
        table[j + 1] = t;
      }
  crcOut = crc16(table, 64);
  longs[0] = 123456789UL * 17;
  longs[1] = longs[0] / 1000;
  longs[2] = longs[0] % 97;
  longs[3] = (uint32_t)(-15000L);
  fibOut = fib(10);
  flagA = crcOut & 1;
  flagB = !flagA;
  table[0] = ops[0](table[1]);
  table[1] = ops[1](table[2]);
  while (1)
    ;
}
