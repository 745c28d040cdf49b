#pragma once

#include <cstdint>

#include "emulator/TimingGenerator.h"

class EmulatedPhysMem;
class SignalSynthesizer;

// The chip's DMA engine: runs the instruction list in emulated physical memory
// against the stream of samples. SYNC with status VRE (VRO) waits for the start
// of an even (odd) field; any other SYNC goes on. WRITE copies the next `count`
// samples to its address as they arrive, so a buffer fills progressively. JUMP
// continues at its target; its SOL/EOL bits don't matter.
//
// Faults stop the engine and stay until it is started again: an unknown opcode,
// an instruction fetch or write outside allocated DMA memory, or more than
// kBudget instructions in a row that move no sample (a JUMP to itself, a loop of
// SYNCs that don't wait). The engine never blocks and never touches memory
// outside a buffer.
class DmaEngine {
public:
    static constexpr uint32_t kBudget = 1024;

    enum class State { Stopped, Running, WaitingEven, WaitingOdd, Faulted };
    enum class Fault { None, BadOpcode, AddressFault, Runaway };

    explicit DmaEngine(EmulatedPhysMem& memory);

    // Starts at `programAddress` and waits for nothing.
    void Start(uint32_t programAddress);
    void Stop();

    // A new field of the timing generator has begun.
    void OnFieldStart(TimingGenerator::Field field);

    // Takes `count` samples from the stream: captures what the program asks
    // for, lets the rest go by.
    void Consume(uint64_t count, SignalSynthesizer& stream);

    State CurrentState() const { return state_; }
    Fault LastFault() const { return fault_; }
    uint32_t ProgramCounter() const { return programCounter_; }
    bool IsRunning() const { return state_ != State::Stopped && state_ != State::Faulted; }

private:
    bool ExecuteNext();
    bool WriteSamples(uint64_t& count, SignalSynthesizer& stream);
    void Raise(Fault fault);

    EmulatedPhysMem& memory_;
    State state_ = State::Stopped;
    Fault fault_ = Fault::None;
    uint32_t programCounter_ = 0;
    uint32_t writeAddress_ = 0;
    uint32_t writeRemaining_ = 0;
    uint32_t idleInstructions_ = 0;
};
