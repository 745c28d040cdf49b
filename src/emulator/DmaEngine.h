#pragma once

#include <cstdint>

class EmulatedPhysMem;
class SignalSynthesizer;

// The chip's DMA controller: runs the instruction list in emulated physical
// memory against what the video path puts into the FIFO, status codes and
// raw-frame data in lines of kLineBytes (see EmulatedChip.cpp for when which
// arrives).
//
// Start (RISC_ENABLE rising) loads the program counter and fetches at once;
// instructions that need nothing from the FIFO (JUMP) run straight on, the
// others wait for it:
// - SYNC matches the next status code; with RESYNC it discards data and other
//   codes until its own comes, without RESYNC anything else is a sync error
//   (SCERR) that halts the controller. Reserved codes are an instruction
//   error (OCERR); SYNC on the line codes (SOL, EOLn, PXV) is not modelled.
// - WRITE, WRITEC and SKIP take data. SOL resynchronises to the start of a
//   FIFO line; a FIFO line that ends before an instruction with EOL aborts
//   the instructions up to and including it, and data left in the line after
//   an instruction with EOL is discarded (both FDSR). A status code arriving
//   while data is expected (the field ended early) aborts the instructions
//   up to the next SYNC (FDSR). Set bits 15..12 keep their byte lanes from
//   being written. WRITEC with SOL and the planar instructions are not
//   modelled.
// - Every instruction applies its set/reset bits to the RISC status and, with
//   IRQ, raises RISCI when it completes.
// - Unused opcodes are instruction errors (OCERR); an address outside DMA
//   memory, fetched or written, is a master abort (PABORT). Errors halt the
//   controller until the next Start. Reserved bits are ignored.
//
// The model's own limit: more than kBudget instructions in a row that take
// nothing from the FIFO (a JUMP to itself) stop it as a model fault, which is
// not a chip status. The controller never blocks and never touches memory
// outside a buffer.
class DmaEngine {
public:
    static constexpr uint32_t kBudget = 1024;
    static constexpr uint32_t kLineBytes = 1024;

    enum class State { Stopped, Running, Halted, ModelFault };
    enum class Fault {
        None,
        ReservedOpcode,  // OCERR
        ReservedStatus,  // OCERR
        SyncError,       // SCERR
        MasterAbort,     // PABORT
        NotModelled,     // an instruction the model does not know how to run
        Runaway,         // the model's instruction budget
    };

    explicit DmaEngine(EmulatedPhysMem& memory);

    void Start(uint32_t programAddress);
    void Stop();

    // A status code from the FIFO.
    void ReceiveStatus(uint32_t code);
    // `count` data bytes from the FIFO, read from `stream` when written and
    // skipped in it otherwise.
    void ReceiveData(uint64_t count, SignalSynthesizer& stream);

    State CurrentState() const { return state_; }
    Fault LastFault() const { return fault_; }
    bool IsRunning() const { return state_ == State::Running; }
    uint32_t ProgramCounter() const { return programCounter_; }
    uint32_t RiscStatus() const { return riscStatus_; }
    // What the last NotModelled fault was about.
    const char* NotModelledReason() const { return notModelled_; }

    // INT_STAT bits raised since the last call.
    uint32_t TakeInterruptBits();

    // True once after a SYNC matched a FIFO mode code: the program captures
    // the field that follows from its first byte on.
    bool TakeFieldSynchronised();

private:
    enum class Skip { None, UntilEol, UntilSync };

    struct Instruction {
        uint32_t opcode = 0;
        uint32_t word = 0;
        uint32_t remaining = 0;
        bool started = false;
    };

    bool Ready();
    bool Fetch();
    bool Decode(uint32_t word, uint32_t address);
    void Complete(uint32_t word);
    void HandleStatusAtSync(uint32_t code);
    bool TakeData(uint64_t& count, SignalSynthesizer& stream);
    bool Transfer(uint32_t count, SignalSynthesizer& stream);
    void FinishLine(bool lineEnded);
    void Resynchronise(Skip skip);
    void Raise(Fault fault, uint32_t interruptBit);
    void NotModelled(const char* reason);
    bool IsDataInstruction() const;

    EmulatedPhysMem& memory_;
    State state_ = State::Stopped;
    Fault fault_ = Fault::None;
    const char* notModelled_ = "";
    uint32_t programCounter_ = 0;
    Instruction current_;
    bool latched_ = false;
    Skip skip_ = Skip::None;
    bool discardToLineEnd_ = false;
    uint32_t lineOffset_ = 0;
    uint32_t writePointer_ = 0;
    uint32_t idleInstructions_ = 0;
    uint32_t riscStatus_ = 0;
    uint32_t interruptBits_ = 0;
    bool fieldSynchronised_ = false;
};
