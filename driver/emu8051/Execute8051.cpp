// The instruction set: one case per opcode, returning machine cycles.
#include "Core8051.h"

namespace emu8051 {

namespace {
inline int8_t Rel(uint8_t b) { return static_cast<int8_t>(b); }
}  // namespace

int TCore8051::Execute() {
  const uint8_t op = code_[pc_++];
  switch (op) {
    case 0x00: return 1;  // NOP
    case 0x01: case 0x21: case 0x41: case 0x61: case 0x81: case 0xA1: case 0xC1: case 0xE1: {  // AJMP
      const uint8_t lo = code_[pc_++];
      pc_ = static_cast<uint16_t>((pc_ & 0xF800) | ((op & 0xE0) << 3) | lo);
      return 2;
    }
    case 0x11: case 0x31: case 0x51: case 0x71: case 0x91: case 0xB1: case 0xD1: case 0xF1: {  // ACALL
      const uint8_t lo = code_[pc_++];
      Push(static_cast<uint8_t>(pc_));
      Push(static_cast<uint8_t>(pc_ >> 8));
      pc_ = static_cast<uint16_t>((pc_ & 0xF800) | ((op & 0xE0) << 3) | lo);
      return 2;
    }
    case 0x02: {  // LJMP
      const uint16_t t = static_cast<uint16_t>((code_[pc_] << 8) | code_[static_cast<uint16_t>(pc_ + 1)]);
      pc_ = t;
      return 2;
    }
    case 0x12: {  // LCALL
      const uint16_t t = static_cast<uint16_t>((code_[pc_] << 8) | code_[static_cast<uint16_t>(pc_ + 1)]);
      pc_ = static_cast<uint16_t>(pc_ + 2);
      Push(static_cast<uint8_t>(pc_));
      Push(static_cast<uint8_t>(pc_ >> 8));
      pc_ = t;
      return 2;
    }
    case 0x22: {  // RET
      const uint8_t hi = Pop();
      pc_ = static_cast<uint16_t>((hi << 8) | Pop());
      return 2;
    }
    case 0x32: {  // RETI
      const uint8_t hi = Pop();
      pc_ = static_cast<uint16_t>((hi << 8) | Pop());
      if (activeLevels_ & 2)
        activeLevels_ &= ~2;
      else
        activeLevels_ &= ~1;
      irqBlocked_ = true;
      ScheduleCheck();
      return 2;
    }
    case 0x03: A() = static_cast<uint8_t>((A() >> 1) | (A() << 7)); return 1;  // RR A
    case 0x13: {  // RRC A
      const uint8_t a = A();
      A() = static_cast<uint8_t>((a >> 1) | (Cy() ? 0x80 : 0));
      SetCy(a & 1);
      return 1;
    }
    case 0x23: A() = static_cast<uint8_t>((A() << 1) | (A() >> 7)); return 1;  // RL A
    case 0x33: {  // RLC A
      const uint8_t a = A();
      A() = static_cast<uint8_t>((a << 1) | (Cy() ? 1 : 0));
      SetCy(a & 0x80);
      return 1;
    }
    case 0x04: ++A(); return 1;
    case 0x05: { const uint8_t d = code_[pc_++]; WriteDirect(d, static_cast<uint8_t>(ReadDirectLatch(d) + 1)); return 1; }
    case 0x06: case 0x07: ++iram_[R(op & 1)]; return 1;
    case 0x08: case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x0E: case 0x0F: ++R(op & 7); return 1;
    case 0x14: --A(); return 1;
    case 0x15: { const uint8_t d = code_[pc_++]; WriteDirect(d, static_cast<uint8_t>(ReadDirectLatch(d) - 1)); return 1; }
    case 0x16: case 0x17: --iram_[R(op & 1)]; return 1;
    case 0x18: case 0x19: case 0x1A: case 0x1B: case 0x1C: case 0x1D: case 0x1E: case 0x1F: --R(op & 7); return 1;

    case 0x10: {  // JBC bit,rel
      const uint8_t b = code_[pc_++];
      const int8_t r = Rel(code_[pc_++]);
      if (ReadBitLatch(b)) {
        WriteBit(b, false);
        pc_ = static_cast<uint16_t>(pc_ + r);
      }
      return 2;
    }
    case 0x20: case 0x30: {  // JB / JNB
      const uint8_t b = code_[pc_++];
      const int8_t r = Rel(code_[pc_++]);
      if (ReadBit(b) == (op == 0x20)) pc_ = static_cast<uint16_t>(pc_ + r);
      return 2;
    }
    case 0x40: case 0x50: {  // JC / JNC
      const int8_t r = Rel(code_[pc_++]);
      if (Cy() == (op == 0x40)) pc_ = static_cast<uint16_t>(pc_ + r);
      return 2;
    }
    case 0x60: case 0x70: {  // JZ / JNZ
      const int8_t r = Rel(code_[pc_++]);
      if ((A() == 0) == (op == 0x60)) pc_ = static_cast<uint16_t>(pc_ + r);
      return 2;
    }
    case 0x80: { const int8_t r = Rel(code_[pc_++]); pc_ = static_cast<uint16_t>(pc_ + r); return 2; }  // SJMP
    case 0x73: pc_ = static_cast<uint16_t>(A() + Dptr()); return 2;  // JMP @A+DPTR

    case 0x24: Add(code_[pc_++], false); return 1;
    case 0x25: Add(ReadDirect(code_[pc_++]), false); return 1;
    case 0x26: case 0x27: Add(iram_[R(op & 1)], false); return 1;
    case 0x28: case 0x29: case 0x2A: case 0x2B: case 0x2C: case 0x2D: case 0x2E: case 0x2F: Add(R(op & 7), false); return 1;
    case 0x34: Add(code_[pc_++], Cy()); return 1;
    case 0x35: Add(ReadDirect(code_[pc_++]), Cy()); return 1;
    case 0x36: case 0x37: Add(iram_[R(op & 1)], Cy()); return 1;
    case 0x38: case 0x39: case 0x3A: case 0x3B: case 0x3C: case 0x3D: case 0x3E: case 0x3F: Add(R(op & 7), Cy()); return 1;
    case 0x94: Subb(code_[pc_++]); return 1;
    case 0x95: Subb(ReadDirect(code_[pc_++])); return 1;
    case 0x96: case 0x97: Subb(iram_[R(op & 1)]); return 1;
    case 0x98: case 0x99: case 0x9A: case 0x9B: case 0x9C: case 0x9D: case 0x9E: case 0x9F: Subb(R(op & 7)); return 1;

    // Logic on A and on direct bytes (the direct forms read the port latch).
#define LOGIC(base, OPER)                                                                           \
  case base + 2: { const uint8_t d = code_[pc_++]; WriteDirect(d, static_cast<uint8_t>(ReadDirectLatch(d) OPER A())); return 1; } \
  case base + 3: { const uint8_t d = code_[pc_++]; const uint8_t v = code_[pc_++];                  \
    WriteDirect(d, static_cast<uint8_t>(ReadDirectLatch(d) OPER v)); return 2; }                    \
  case base + 4: A() = static_cast<uint8_t>(A() OPER code_[pc_++]); return 1;                        \
  case base + 5: A() = static_cast<uint8_t>(A() OPER ReadDirect(code_[pc_++])); return 1;            \
  case base + 6: case base + 7: A() = static_cast<uint8_t>(A() OPER iram_[R(op & 1)]); return 1;     \
  case base + 8: case base + 9: case base + 10: case base + 11: case base + 12: case base + 13:      \
  case base + 14: case base + 15: A() = static_cast<uint8_t>(A() OPER R(op & 7)); return 1;
    LOGIC(0x40, |)
    LOGIC(0x50, &)
    LOGIC(0x60, ^)
#undef LOGIC

    // The bit address is always fetched, whatever the carry.
    case 0x72: { const bool b = ReadBit(code_[pc_++]); SetCy(Cy() || b); return 2; }   // ORL C,bit
    case 0xA0: { const bool b = ReadBit(code_[pc_++]); SetCy(Cy() || !b); return 2; }  // ORL C,/bit
    case 0x82: { const bool b = ReadBit(code_[pc_++]); SetCy(Cy() && b); return 2; }   // ANL C,bit
    case 0xB0: { const bool b = ReadBit(code_[pc_++]); SetCy(Cy() && !b); return 2; }  // ANL C,/bit
    case 0xA2: SetCy(ReadBit(code_[pc_++])); return 1;          // MOV C,bit
    case 0x92: WriteBit(code_[pc_++], Cy()); return 2;          // MOV bit,C
    case 0xB2: { const uint8_t b = code_[pc_++]; WriteBit(b, !ReadBitLatch(b)); return 1; }  // CPL bit
    case 0xB3: SetCy(!Cy()); return 1;
    case 0xC2: WriteBit(code_[pc_++], false); return 1;
    case 0xC3: SetCy(false); return 1;
    case 0xD2: WriteBit(code_[pc_++], true); return 1;
    case 0xD3: SetCy(true); return 1;

    case 0x74: A() = code_[pc_++]; return 1;
    case 0x75: { const uint8_t d = code_[pc_++]; WriteDirect(d, code_[pc_++]); return 2; }
    case 0x76: case 0x77: iram_[R(op & 1)] = code_[pc_++]; return 1;
    case 0x78: case 0x79: case 0x7A: case 0x7B: case 0x7C: case 0x7D: case 0x7E: case 0x7F: R(op & 7) = code_[pc_++]; return 1;
    case 0x85: { const uint8_t s = code_[pc_++]; const uint8_t d = code_[pc_++]; WriteDirect(d, ReadDirect(s)); return 2; }
    case 0x86: case 0x87: WriteDirect(code_[pc_++], iram_[R(op & 1)]); return 2;
    case 0x88: case 0x89: case 0x8A: case 0x8B: case 0x8C: case 0x8D: case 0x8E: case 0x8F: WriteDirect(code_[pc_++], R(op & 7)); return 2;
    case 0xA6: case 0xA7: iram_[R(op & 1)] = ReadDirect(code_[pc_++]); return 2;
    case 0xA8: case 0xA9: case 0xAA: case 0xAB: case 0xAC: case 0xAD: case 0xAE: case 0xAF: R(op & 7) = ReadDirect(code_[pc_++]); return 2;
    case 0xE5: A() = ReadDirect(code_[pc_++]); return 1;
    case 0xE6: case 0xE7: A() = iram_[R(op & 1)]; return 1;
    case 0xE8: case 0xE9: case 0xEA: case 0xEB: case 0xEC: case 0xED: case 0xEE: case 0xEF: A() = R(op & 7); return 1;
    case 0xF5: WriteDirect(code_[pc_++], A()); return 1;
    case 0xF6: case 0xF7: iram_[R(op & 1)] = A(); return 1;
    case 0xF8: case 0xF9: case 0xFA: case 0xFB: case 0xFC: case 0xFD: case 0xFE: case 0xFF: R(op & 7) = A(); return 1;
    case 0x90: {  // MOV DPTR,#data16
      const uint16_t v = static_cast<uint16_t>((code_[pc_] << 8) | code_[static_cast<uint16_t>(pc_ + 1)]);
      pc_ = static_cast<uint16_t>(pc_ + 2);
      SetDptr(v);
      return 2;
    }
    case 0xA3: SetDptr(static_cast<uint16_t>(Dptr() + 1)); return 2;
    case 0x83: A() = code_[static_cast<uint16_t>(pc_ + A())]; return 2;    // MOVC A,@A+PC
    case 0x93: A() = code_[static_cast<uint16_t>(Dptr() + A())]; return 2;  // MOVC A,@A+DPTR
    case 0xE0: A() = ReadX(Dptr()); return 2;
    case 0xF0: WriteX(Dptr(), A()); return 2;
    case 0xE2: case 0xE3: A() = ReadX(static_cast<uint16_t>((S(pageSfr_) << 8) | R(op & 1))); return 2;
    case 0xF2: case 0xF3: WriteX(static_cast<uint16_t>((S(pageSfr_) << 8) | R(op & 1)), A()); return 2;

    case 0x84: {  // DIV AB
      const uint8_t a = A(), b = S(sfr::B);
      uint8_t p = Psw() & ~(bits::CY | bits::OV);
      if (b == 0) {
        p |= bits::OV;
      } else {
        A() = static_cast<uint8_t>(a / b);
        S(sfr::B) = static_cast<uint8_t>(a % b);
      }
      Psw() = p;
      return 4;
    }
    case 0xA4: {  // MUL AB
      const unsigned r = static_cast<unsigned>(A()) * S(sfr::B);
      A() = static_cast<uint8_t>(r);
      S(sfr::B) = static_cast<uint8_t>(r >> 8);
      Psw() = static_cast<uint8_t>((Psw() & ~(bits::CY | bits::OV)) | (r > 0xFF ? bits::OV : 0));
      return 4;
    }
    case 0xA5: return 1;  // not an instruction; taken as a one-cycle no-op

    case 0xB4: { const uint8_t v = code_[pc_++]; Cjne(A(), v, Rel(code_[pc_++])); return 2; }
    case 0xB5: { const uint8_t v = ReadDirect(code_[pc_++]); Cjne(A(), v, Rel(code_[pc_++])); return 2; }
    case 0xB6: case 0xB7: { const uint8_t v = code_[pc_++]; Cjne(iram_[R(op & 1)], v, Rel(code_[pc_++])); return 2; }
    case 0xB8: case 0xB9: case 0xBA: case 0xBB: case 0xBC: case 0xBD: case 0xBE: case 0xBF: {
      const uint8_t v = code_[pc_++];
      Cjne(R(op & 7), v, Rel(code_[pc_++]));
      return 2;
    }
    case 0xD5: {  // DJNZ direct,rel
      const uint8_t d = code_[pc_++];
      const int8_t r = Rel(code_[pc_++]);
      const uint8_t v = static_cast<uint8_t>(ReadDirectLatch(d) - 1);
      WriteDirect(d, v);
      if (v) pc_ = static_cast<uint16_t>(pc_ + r);
      return 2;
    }
    case 0xD8: case 0xD9: case 0xDA: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF: {
      const int8_t r = Rel(code_[pc_++]);
      if (--R(op & 7)) pc_ = static_cast<uint16_t>(pc_ + r);
      return 2;
    }

    case 0xC0: Push(ReadDirect(code_[pc_++])); return 2;
    case 0xD0: { const uint8_t d = code_[pc_++]; WriteDirect(d, Pop()); return 2; }
    case 0xC4: A() = static_cast<uint8_t>((A() << 4) | (A() >> 4)); return 1;
    case 0xC5: { const uint8_t d = code_[pc_++]; const uint8_t v = ReadDirect(d); WriteDirect(d, A()); A() = v; return 1; }
    case 0xC6: case 0xC7: { uint8_t& m = iram_[R(op & 1)]; const uint8_t v = m; m = A(); A() = v; return 1; }
    case 0xC8: case 0xC9: case 0xCA: case 0xCB: case 0xCC: case 0xCD: case 0xCE: case 0xCF: {
      uint8_t& m = R(op & 7);
      const uint8_t v = m;
      m = A();
      A() = v;
      return 1;
    }
    case 0xD6: case 0xD7: {  // XCHD A,@Ri
      uint8_t& m = iram_[R(op & 1)];
      const uint8_t a = A();
      A() = static_cast<uint8_t>((a & 0xF0) | (m & 0x0F));
      m = static_cast<uint8_t>((m & 0xF0) | (a & 0x0F));
      return 1;
    }
    case 0xD4: DecimalAdjust(); return 1;
    case 0xE4: A() = 0; return 1;
    case 0xF4: A() = static_cast<uint8_t>(~A()); return 1;
  }
  return 1;  // unreachable: every opcode has a case
}

// Kept beside the switch so that it is inlined into the loops.
// One counted step: an instruction, and when it lets an interrupt in, the
// entry and the handler's first instruction with it.
inline void TCore8051::StepCounted() {
  do {
    // The first machine cycle passes before the instruction's own reads
    // and writes take effect, so timers see it with the old settings.
    ++cycles_;
    cycles_ += static_cast<unsigned>(Execute() - 1);
  } while (cycles_ >= eventAt_ && Service());
}

uint64_t TCore8051::Run(uint64_t count) {
  uint64_t done = 0;
  while (done < count) {
    StepCounted();
    ++done;
  }
  instructions_ += done;
  return done;
}

void TCore8051::RunUntilCycle(uint64_t cycle) {
  uint64_t done = 0;
  while (cycles_ < cycle) {
    StepCounted();
    ++done;
  }
  instructions_ += done;
}

}  // namespace emu8051
