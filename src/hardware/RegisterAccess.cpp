#include "hardware/RegisterAccess.h"

#include "platform/RegisterWindow.h"

uint32_t ReadRegister(uint32_t offset) {
    RegisterWindow* window = registerWindow;
    return window ? window->read32(offset) : 0xFFFFFFFFu;
}

void WriteRegister(uint32_t offset, uint32_t value) {
    if (RegisterWindow* window = registerWindow) {
        window->write32(offset, value);
    }
}

void WriteRegisterByte(uint32_t offset, uint8_t value) {
    if (RegisterWindow* window = registerWindow) {
        window->write8(offset, value);
    }
}

uint32_t ReadRegisterField(uint32_t offset, bt848::Field field) {
    return field.Extract(ReadRegister(offset));
}

void WriteRegisterField(uint32_t offset, bt848::Field field, uint32_t value) {
    WriteRegister(offset, field.Insert(ReadRegister(offset), value));
}

void WriteMirroredField(uint32_t source, uint32_t copy, bt848::Field field, uint32_t value) {
    WriteRegisterField(source, field, value);
    WriteRegisterField(copy, field, ReadRegisterField(source, field));
}
