#pragma once

#include <cstdint>

#include "hardware/Bt848Registers.h"

// Register access through the process-wide `registerWindow`. Every field write
// is a read-modify-write of the aligned 32-bit word: bits outside the field keep
// the value just read. Without a mapped window reads give 0xFFFFFFFF and writes
// are dropped, as on a bus with nothing behind it. Callers hold their
// interface's lock; these functions take none.

uint32_t ReadRegister(uint32_t offset);
void WriteRegister(uint32_t offset, uint32_t value);
void WriteRegisterByte(uint32_t offset, uint8_t value);

uint32_t ReadRegisterField(uint32_t offset, bt848::Field field);
void WriteRegisterField(uint32_t offset, bt848::Field field, uint32_t value);

// Writes `value` into `field` of the register at `source`, then copies the
// field as read back from `source` into the register at `copy`. This keeps the
// even- and odd-field twins equal.
void WriteMirroredField(uint32_t source, uint32_t copy, bt848::Field field, uint32_t value);
