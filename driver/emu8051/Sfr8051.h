// Special function register addresses of the 8051/8052 and of the EZ-USB
// core's additions (second data pointer, second UART, external interrupts).
#pragma once

#include <cstdint>

namespace emu8051 {

namespace sfr {
constexpr uint8_t P0 = 0x80, SP = 0x81, DPL = 0x82, DPH = 0x83;
constexpr uint8_t DPL1 = 0x84, DPH1 = 0x85, DPS = 0x86, PCON = 0x87;
constexpr uint8_t TCON = 0x88, TMOD = 0x89, TL0 = 0x8A, TL1 = 0x8B, TH0 = 0x8C, TH1 = 0x8D;
constexpr uint8_t CKCON = 0x8E, SPC_FNC = 0x8F;
constexpr uint8_t P1 = 0x90, EXIF = 0x91, MPAGE = 0x92;
constexpr uint8_t SCON0 = 0x98, SBUF0 = 0x99;
constexpr uint8_t P2 = 0xA0, IE = 0xA8, P3 = 0xB0, IP = 0xB8;
constexpr uint8_t SCON1 = 0xC0, SBUF1 = 0xC1;
constexpr uint8_t T2CON = 0xC8, RCAP2L = 0xCA, RCAP2H = 0xCB, TL2 = 0xCC, TH2 = 0xCD;
constexpr uint8_t PSW = 0xD0, EICON = 0xD8, ACC = 0xE0, EIE = 0xE8, B = 0xF0, EIP = 0xF8;
}  // namespace sfr

// Bits of the registers the core itself acts on.
namespace bits {
// PSW
constexpr uint8_t CY = 0x80, AC = 0x40, F0 = 0x20, RS = 0x18, OV = 0x04, P = 0x01;
// TCON
constexpr uint8_t TF1 = 0x80, TR1 = 0x40, TF0 = 0x20, TR0 = 0x10;
constexpr uint8_t IE1 = 0x08, IT1 = 0x04, IE0 = 0x02, IT0 = 0x01;
// SCON
constexpr uint8_t SM0 = 0x80, SM1 = 0x40, SM2 = 0x20, REN = 0x10;
constexpr uint8_t TB8 = 0x08, RB8 = 0x04, TI = 0x02, RI = 0x01;
// T2CON
constexpr uint8_t TF2 = 0x80, EXF2 = 0x40, RCLK = 0x20, TCLK = 0x10;
constexpr uint8_t EXEN2 = 0x08, TR2 = 0x04, CT2 = 0x02, CPRL2 = 0x01;
// IE / IP
constexpr uint8_t EA = 0x80, ES1 = 0x40, ET2 = 0x20, ES0 = 0x10;
constexpr uint8_t ET1 = 0x08, EX1 = 0x04, ET0 = 0x02, EX0 = 0x01;
// PCON
constexpr uint8_t SMOD0 = 0x80;
// EXIF
constexpr uint8_t IE5 = 0x80, IE4 = 0x40, I2CINT = 0x20, USBINT = 0x10;
// EIE / EIP
constexpr uint8_t EUSB = 0x01, EI2C = 0x02, EX4 = 0x04, EX5 = 0x08;
// EICON
constexpr uint8_t SMOD1 = 0x80, ERESI = 0x20, RESI = 0x10, INT6 = 0x08;
}  // namespace bits

}  // namespace emu8051
