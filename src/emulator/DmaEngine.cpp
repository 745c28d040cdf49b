#include "emulator/DmaEngine.h"

#include <algorithm>
#include <cstring>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedPhysMem.h"
#include "emulator/SignalSynthesizer.h"

using namespace ChipRegisters;

namespace {

uint32_t DwordsOf(uint32_t opcode) {
    return opcode == kOpWrite || opcode == kOpJump || opcode == kOpSync ? 2 : 1;
}

bool IsReservedStatus(uint32_t status) {
    switch (status) {
        case kStatusPxv:
        case kStatusEol4:
        case kStatusSol:
        case kStatusVre:
        case kStatusEol1:
        case kStatusFm1:
        case kStatusEol2:
        case kStatusVro:
        case kStatusEol3:
        case kStatusFm3:
            return false;
        default:
            return true;
    }
}

// The codes that travel with the data of a line rather than on their own.
bool IsLineStatus(uint32_t status) {
    return status == kStatusPxv || status == kStatusSol || status == kStatusEol1 ||
           status == kStatusEol2 || status == kStatusEol3 || status == kStatusEol4;
}

}  // namespace

DmaEngine::DmaEngine(EmulatedPhysMem& memory) : memory_(memory) {}

void DmaEngine::Start(uint32_t programAddress) {
    state_ = State::Running;
    fault_ = Fault::None;
    notModelled_ = "";
    programCounter_ = programAddress;
    latched_ = false;
    skip_ = Skip::None;
    discardToLineEnd_ = false;
    lineOffset_ = 0;
    idleInstructions_ = 0;
    Ready();
}

void DmaEngine::Stop() {
    state_ = State::Stopped;
    latched_ = false;
}

uint32_t DmaEngine::TakeInterruptBits() {
    uint32_t bits = interruptBits_;
    interruptBits_ = 0;
    return bits;
}

bool DmaEngine::TakeFieldSynchronised() {
    const bool synchronised = fieldSynchronised_;
    fieldSynchronised_ = false;
    return synchronised;
}

bool DmaEngine::IsDataInstruction() const {
    return current_.opcode == kOpWrite || current_.opcode == kOpWritec ||
           current_.opcode == kOpSkip;
}

// Runs instructions until one waits for the FIFO; false when the controller
// stopped on the way.
bool DmaEngine::Ready() {
    while (state_ == State::Running) {
        if (!latched_) {
            if (!Fetch()) {
                return false;
            }
            continue;
        }
        if (!IsDataInstruction()) {
            if (skip_ == Skip::UntilEol) {
                skip_ = Skip::None;
            }
            return true;
        }
        if (skip_ != Skip::None) {
            if (skip_ == Skip::UntilEol && (current_.word & kRiscEol) != 0) {
                skip_ = Skip::None;
            }
            latched_ = false;
            continue;
        }
        if (current_.remaining == 0) {
            Complete(current_.word);
            latched_ = false;
            continue;
        }
        return true;
    }
    return false;
}

bool DmaEngine::Fetch() {
    if (++idleInstructions_ > kBudget) {
        Raise(Fault::Runaway, 0);
        return false;
    }
    const uint8_t* first = memory_.Translate(programCounter_, 4);
    if (first == nullptr) {
        Raise(Fault::MasterAbort, kIntPabort);
        return false;
    }
    uint32_t word;
    std::memcpy(&word, first, 4);
    const uint32_t dwords = DwordsOf(word >> kOpcodeShift);
    uint32_t address = 0;
    if (dwords == 2) {
        const uint8_t* both = memory_.Translate(programCounter_, 8);
        if (both == nullptr) {
            Raise(Fault::MasterAbort, kIntPabort);
            return false;
        }
        std::memcpy(&address, both + 4, 4);
    }
    programCounter_ += 4 * dwords;
    return Decode(word, address);
}

bool DmaEngine::Decode(uint32_t word, uint32_t address) {
    const uint32_t opcode = word >> kOpcodeShift;
    switch (opcode) {
        case kOpWrite:
            writePointer_ = address;
            [[fallthrough]];
        case kOpSkip:
            current_ = {opcode, word, word & kWriteCountMask, false};
            latched_ = true;
            return true;
        case kOpWritec:
            if ((word & kRiscSol) != 0) {
                NotModelled("WRITEC with SOL");
                return false;
            }
            current_ = {opcode, word, word & kWriteCountMask, false};
            latched_ = true;
            return true;
        case kOpJump:
            Complete(word);
            programCounter_ = address;
            return true;
        case kOpSync: {
            const uint32_t status = word & kSyncStatusMask;
            if (IsReservedStatus(status)) {
                Raise(Fault::ReservedStatus, kIntOcerr);
                return false;
            }
            if (IsLineStatus(status)) {
                NotModelled("SYNC on a line status");
                return false;
            }
            current_ = {opcode, word, 0, false};
            latched_ = true;
            return true;
        }
        case kOpWrite123:
        case kOpSkip123:
        case kOpWrite1s23:
            NotModelled("planar instructions");
            return false;
        default:
            Raise(Fault::ReservedOpcode, kIntOcerr);
            return false;
    }
}

// Bits 19..16 set RISC status bits, 23..20 reset them.
void DmaEngine::Complete(uint32_t word) {
    const uint32_t set = (word >> kRiscSetStatusShift) & 0xF;
    const uint32_t reset = (word >> kRiscResetStatusShift) & 0xF;
    riscStatus_ = (riscStatus_ & ~reset) | set;
    if ((word & kRiscIrq) != 0) {
        interruptBits_ |= kIntRisci;
    }
}

void DmaEngine::ReceiveStatus(uint32_t code) {
    if (state_ != State::Running) {
        return;
    }
    discardToLineEnd_ = false;
    if (code == kStatusFm1 || code == kStatusFm3) {
        lineOffset_ = 0;
    }
    idleInstructions_ = 0;
    if (!Ready()) {
        return;
    }
    if (IsDataInstruction()) {
        Resynchronise(Skip::UntilSync);
        latched_ = false;
        if (!Ready()) {
            return;
        }
        skip_ = Skip::None;
    }
    HandleStatusAtSync(code);
}

void DmaEngine::HandleStatusAtSync(uint32_t code) {
    if (code == (current_.word & kSyncStatusMask)) {
        fieldSynchronised_ = code == kStatusFm1 || code == kStatusFm3;
        Complete(current_.word);
        latched_ = false;
        idleInstructions_ = 0;
        Ready();
    } else if ((current_.word & kRiscResync) == 0) {
        Raise(Fault::SyncError, kIntScerr);
    }
}

void DmaEngine::ReceiveData(uint64_t count, SignalSynthesizer& stream) {
    while (count > 0 && state_ == State::Running) {
        if (discardToLineEnd_) {
            const uint32_t n =
                static_cast<uint32_t>(std::min<uint64_t>(count, kLineBytes - lineOffset_));
            stream.Skip(n);
            count -= n;
            lineOffset_ = (lineOffset_ + n) % kLineBytes;
            discardToLineEnd_ = lineOffset_ != 0;
            idleInstructions_ = 0;
            continue;
        }
        if (!Ready()) {
            break;
        }
        if (!IsDataInstruction()) {
            if ((current_.word & kRiscResync) == 0) {
                Raise(Fault::SyncError, kIntScerr);
                break;
            }
            lineOffset_ = static_cast<uint32_t>((lineOffset_ + count) % kLineBytes);
            idleInstructions_ = 0;
            stream.Skip(count);
            return;
        }
        if (!TakeData(count, stream)) {
            break;
        }
    }
    stream.Skip(count);
}

// Moves data for the current instruction up to its end or the FIFO line's,
// whichever comes first; false when the controller halted.
bool DmaEngine::TakeData(uint64_t& count, SignalSynthesizer& stream) {
    Instruction& instruction = current_;
    if ((instruction.word & kRiscSol) != 0 && !instruction.started && lineOffset_ != 0) {
        Resynchronise(Skip::None);
        discardToLineEnd_ = true;
        return true;
    }
    instruction.started = true;
    const uint32_t n = static_cast<uint32_t>(
        std::min<uint64_t>({count, instruction.remaining, kLineBytes - lineOffset_}));
    if (!Transfer(n, stream)) {
        return false;
    }
    count -= n;
    instruction.remaining -= n;
    lineOffset_ += n;
    idleInstructions_ = 0;
    const bool lineEnded = lineOffset_ == kLineBytes;
    if (lineEnded) {
        lineOffset_ = 0;
    }
    if (instruction.remaining == 0) {
        Complete(instruction.word);
        latched_ = false;
        FinishLine(lineEnded);
    } else if (lineEnded) {
        latched_ = false;
        Resynchronise((instruction.word & kRiscEol) != 0 ? Skip::None : Skip::UntilEol);
    }
    return true;
}

// After an instruction that moved all its bytes: the program's line and the
// FIFO's must end together.
void DmaEngine::FinishLine(bool lineEnded) {
    const bool eol = (current_.word & kRiscEol) != 0;
    if (eol && !lineEnded) {
        Resynchronise(Skip::None);
        discardToLineEnd_ = true;
    } else if (!eol && lineEnded) {
        Resynchronise(Skip::UntilEol);
    }
}

bool DmaEngine::Transfer(uint32_t count, SignalSynthesizer& stream) {
    if (current_.opcode == kOpSkip) {
        stream.Skip(count);
        return true;
    }
    uint8_t* target = memory_.Translate(writePointer_, count);
    if (target == nullptr) {
        Raise(Fault::MasterAbort, kIntPabort);
        return false;
    }
    const uint32_t disabled = (current_.word >> kRiscByteDisableShift) & 0xF;
    if (disabled == 0) {
        stream.Read(target, count);
    } else {
        uint8_t bytes[kLineBytes];
        stream.Read(bytes, count);
        for (uint32_t i = 0; i < count; ++i) {
            if (((disabled >> ((writePointer_ + i) & 3)) & 1) == 0) {
                target[i] = bytes[i];
            }
        }
    }
    writePointer_ += count;
    return true;
}

void DmaEngine::Resynchronise(Skip skip) {
    interruptBits_ |= kIntFdsr;
    skip_ = skip;
}

void DmaEngine::Raise(Fault fault, uint32_t interruptBit) {
    fault_ = fault;
    interruptBits_ |= interruptBit;
    state_ = fault == Fault::Runaway ? State::ModelFault : State::Halted;
    latched_ = false;
}

void DmaEngine::NotModelled(const char* reason) {
    notModelled_ = reason;
    Raise(Fault::NotModelled, 0);
}
