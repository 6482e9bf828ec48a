#include "Core8051.h"

namespace emu8051 {

TCore8051::TCore8051(TMemoryModel model)
    : model_(model), codeStore_(65536, 0), xdataStore_(model == TMemoryModel::Plain8052 ? 65536 : 0, 0) {
  code_ = codeStore_.data();
  xdata_ = model == TMemoryModel::Plain8052 ? xdataStore_.data() : code_;
  pageSfr_ = model == TMemoryModel::Plain8052 ? sfr::P2 : sfr::MPAGE;
  Reset();
}

void TCore8051::Reset() {
  sfr_.fill(0);
  S(sfr::P0) = S(sfr::P1) = S(sfr::P2) = S(sfr::P3) = 0xFF;
  S(sfr::SP) = 0x07;
  if (model_ == TMemoryModel::Unified) {
    S(sfr::CKCON) = 0x01;
    S(sfr::EXIF) = 0x08;
    S(sfr::EICON) = 0x40;
    S(sfr::EIE) = 0xE0;
    S(sfr::EIP) = 0xE0;
    S(sfr::DPS) = 0x00;
  }
  pc_ = 0;
  bank_ = 0;
  activeLevels_ = 0;
  irqBlocked_ = false;
  uart_[0] = uart_[1] = TUart{};
  syncedAt_ = cycles_;
  eventAt_ = 0;
}

void TCore8051::MapXdataPage(uint8_t page, TXdataBus* bus) { xhook_[page] = bus; }

uint16_t TCore8051::Dptr() {
  const int lo = (S(sfr::DPS) & 1) ? sfr::DPL1 : sfr::DPL;
  return static_cast<uint16_t>(S(lo) | (S(lo + 1) << 8));
}

void TCore8051::SetDptr(uint16_t v) {
  const int lo = (S(sfr::DPS) & 1) ? sfr::DPL1 : sfr::DPL;
  S(lo) = static_cast<uint8_t>(v);
  S(lo + 1) = static_cast<uint8_t>(v >> 8);
}

void TCore8051::Add(uint8_t v, bool carryIn) {
  const unsigned a = A(), c = carryIn ? 1 : 0;
  const unsigned r = a + v + c;
  const bool ac = ((a & 0x0F) + (v & 0x0F) + c) > 0x0F;
  const bool c6 = ((a & 0x7F) + (v & 0x7F) + c) > 0x7F;
  const bool cy = r > 0xFF;
  uint8_t p = Psw() & ~(bits::CY | bits::AC | bits::OV);
  if (cy) p |= bits::CY;
  if (ac) p |= bits::AC;
  if (cy != c6) p |= bits::OV;
  Psw() = p;
  A() = static_cast<uint8_t>(r);
}

void TCore8051::Subb(uint8_t v) {
  const int a = A(), c = Cy() ? 1 : 0;
  const int r = a - v - c;
  const bool cy = r < 0;
  const bool ac = ((a & 0x0F) - (v & 0x0F) - c) < 0;
  const bool b6 = ((a & 0x7F) - (v & 0x7F) - c) < 0;
  uint8_t p = Psw() & ~(bits::CY | bits::AC | bits::OV);
  if (cy) p |= bits::CY;
  if (ac) p |= bits::AC;
  if (cy != b6) p |= bits::OV;
  Psw() = p;
  A() = static_cast<uint8_t>(r);
}

// The carry is only ever set here, never cleared, as the instruction set says.
void TCore8051::DecimalAdjust() {
  unsigned a = A();
  if ((a & 0x0F) > 9 || (Psw() & bits::AC)) {
    a += 0x06;
    if (a > 0xFF) SetCy(true);
  }
  if ((a & 0x1F0) > 0x90 || Cy()) {
    a += 0x60;
    if (a > 0xFF) SetCy(true);
  }
  A() = static_cast<uint8_t>(a);
}

void TCore8051::Cjne(uint8_t a, uint8_t b, int8_t rel) {
  SetCy(a < b);
  if (a != b) pc_ = static_cast<uint16_t>(pc_ + rel);
}

}  // namespace emu8051
