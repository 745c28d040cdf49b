#pragma once

#include <cstdint>

// Instruction words of the chip's DMA engine (its RISC program). The program is
// a list of little-endian 32-bit words in a physical buffer; an instruction is
// an opcode word, optionally followed by an address word.
namespace bt848 {

// Opcodes, bits 31..28.
constexpr uint32_t kRiscWrite = 0x10000000;
constexpr uint32_t kRiscJump = 0x70000000;
constexpr uint32_t kRiscSync = 0x80000000;

// Modifiers.
constexpr uint32_t kRiscSol = 0x08000000;     // start of line
constexpr uint32_t kRiscEol = 0x04000000;     // end of line
constexpr uint32_t kRiscResync = 0x00008000;  // SYNC: wait for the next re-sync
constexpr uint32_t kRiscByteCountMask = 0x00000FFF;

// SYNC status codes, bits 3..0.
constexpr uint32_t kRiscStatusFm1 = 0x6;
constexpr uint32_t kRiscStatusVre = 0x4;

// SYNC that waits for the vertical re-sync of the even field.
constexpr uint32_t RiscSyncEvenField() {
    return kRiscSync | kRiscResync | kRiscStatusVre;
}

// SYNC marking the start of packed data (FM1).
constexpr uint32_t RiscSyncFm1() {
    return kRiscSync | kRiscStatusFm1;
}

// WRITE of one whole line of `byteCount` bytes; the target address follows.
constexpr uint32_t RiscWriteLine(uint32_t byteCount) {
    return kRiscWrite | kRiscSol | kRiscEol | (byteCount & kRiscByteCountMask);
}

// JUMP; the target address follows.
constexpr uint32_t RiscJump() {
    return kRiscJump | kRiscSol | kRiscEol;
}

static_assert(RiscSyncEvenField() == 0x80008004);
static_assert(RiscSyncFm1() == 0x80000006);
static_assert(RiscWriteLine(1024) == 0x1C000400);
static_assert(RiscJump() == 0x7C000000);

}  // namespace bt848
