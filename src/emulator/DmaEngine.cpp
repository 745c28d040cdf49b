#include "emulator/DmaEngine.h"

#include <algorithm>
#include <cstring>

#include "emulator/ChipRegisters.h"
#include "emulator/EmulatedPhysMem.h"
#include "emulator/SignalSynthesizer.h"

using namespace ChipRegisters;

DmaEngine::DmaEngine(EmulatedPhysMem& memory) : memory_(memory) {}

void DmaEngine::Start(uint32_t programAddress) {
    state_ = State::Running;
    fault_ = Fault::None;
    programCounter_ = programAddress;
    writeRemaining_ = 0;
    idleInstructions_ = 0;
}

void DmaEngine::Stop() {
    if (state_ != State::Faulted) {
        state_ = State::Stopped;
    }
    writeRemaining_ = 0;
}

void DmaEngine::OnFieldStart(TimingGenerator::Field field) {
    if ((state_ == State::WaitingEven && field == TimingGenerator::Field::Even) ||
        (state_ == State::WaitingOdd && field == TimingGenerator::Field::Odd)) {
        state_ = State::Running;
    }
}

void DmaEngine::Consume(uint64_t count, SignalSynthesizer& stream) {
    while (count > 0 && state_ == State::Running) {
        if (writeRemaining_ > 0) {
            if (!WriteSamples(count, stream)) {
                break;
            }
        } else if (!ExecuteNext()) {
            break;
        }
    }
    stream.Skip(count);
}

// The target buffer is looked up again for every slice, so a buffer freed
// under a running program faults instead of being written after release.
bool DmaEngine::WriteSamples(uint64_t& count, SignalSynthesizer& stream) {
    uint32_t slice = static_cast<uint32_t>(std::min<uint64_t>(count, writeRemaining_));
    uint8_t* target = memory_.Translate(writeAddress_, slice);
    if (target == nullptr) {
        Raise(Fault::AddressFault);
        return false;
    }
    stream.Read(target, slice);
    writeAddress_ += slice;
    writeRemaining_ -= slice;
    count -= slice;
    idleInstructions_ = 0;
    return true;
}

// Executes one instruction; false when the engine stopped or now waits.
bool DmaEngine::ExecuteNext() {
    if (++idleInstructions_ > kBudget) {
        Raise(Fault::Runaway);
        return false;
    }
    const uint8_t* words = memory_.Translate(programCounter_, 8);
    if (words == nullptr) {
        Raise(Fault::AddressFault);
        return false;
    }
    uint32_t command;
    uint32_t argument;
    std::memcpy(&command, words, 4);
    std::memcpy(&argument, words + 4, 4);
    switch (command >> kOpcodeShift) {
        case kOpWrite:
            programCounter_ += 8;
            writeAddress_ = argument;
            writeRemaining_ = command & kWriteCountMask;
            if (writeRemaining_ > 0 &&
                memory_.Translate(writeAddress_, writeRemaining_) == nullptr) {
                Raise(Fault::AddressFault);
                return false;
            }
            return true;
        case kOpSync: {
            programCounter_ += 8;
            uint32_t status = command & kSyncStatusMask;
            if (status == kSyncVre || status == kSyncVro) {
                state_ = status == kSyncVre ? State::WaitingEven : State::WaitingOdd;
                idleInstructions_ = 0;
                return false;
            }
            return true;
        }
        case kOpJump:
            programCounter_ = argument;
            return true;
        default:
            Raise(Fault::BadOpcode);
            return false;
    }
}

void DmaEngine::Raise(Fault fault) {
    fault_ = fault;
    state_ = State::Faulted;
    writeRemaining_ = 0;
}
