// Emulated 8051 instructions per second: a firmware-like loop (memory
// copies, arithmetic, bit tests, calls) with timer 0 running.
#include <benchmark/benchmark.h>

#include <cstring>

#include "Core8051.h"

namespace {

// mov tmod,#1; setb tr0; mov dptr,#0x1000; mov r0,#0x30
// loop: movx a,@dptr; add a,r2; movx @dptr,a; inc dptr; mov @r0,a; inc r0;
//       jnb 0x00,skip; cpl c; skip: acall sub; djnz r7,loop; sjmp loop-restart
// sub: xrl a,#0x5a; rlc a; ret
const uint8_t kProgram[] = {
    0x75, 0x89, 0x01,        // 0000 mov tmod,#1
    0xD2, 0x8C,              // 0003 setb tr0
    0x90, 0x10, 0x00,        // 0005 mov dptr,#0x1000
    0x78, 0x30,              // 0008 mov r0,#0x30
    0xE0,                    // 000A loop: movx a,@dptr
    0x2A,                    // 000B add a,r2
    0xF0,                    // 000C movx @dptr,a
    0xA3,                    // 000D inc dptr
    0xF6,                    // 000E mov @r0,a
    0x08,                    // 000F inc r0
    0x30, 0x00, 0x01,        // 0010 jnb 0x00,+1
    0xB3,                    // 0013 cpl c
    0x11, 0x20,              // 0014 acall 0x0020
    0xDF, 0xF2,              // 0016 djnz r7,loop (0x000A)
    0x80, 0xEB,              // 0018 sjmp 0x0005
    0, 0, 0, 0, 0, 0,        // 001A
    0x64, 0x5A,              // 0020 xrl a,#0x5a
    0x33,                    // 0022 rlc a
    0x22,                    // 0023 ret
};

void BM_Emu8051Instructions(benchmark::State& state) {
  emu8051::TCore8051 core;
  std::memcpy(core.Code(), kProgram, sizeof kProgram);
  for (auto _ : state) core.Run(1'000'000);
  state.counters["instr/s"] = benchmark::Counter(1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Emu8051Instructions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
