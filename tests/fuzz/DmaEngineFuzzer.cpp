// The DMA engine runs instruction lists the driver writes into memory. Any
// list, any order of FIFO status codes, data runs, restarts and buffers freed
// under a running program must end in a running, stopped or halted engine,
// never in a write outside an allocated buffer (AddressSanitizer watches the
// buffers' edges) or a hang.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "emulator/ChipRegisters.h"
#include "emulator/DmaEngine.h"
#include "emulator/EmulatedPhysMem.h"
#include "emulator/SignalSynthesizer.h"
#include "emulator/SourceTimebase.h"

using namespace ChipRegisters;

namespace {

constexpr uint32_t kProgramBytes = 4096;
constexpr uint32_t kMaxCaptureBytes = 64 * 1024;
constexpr uint64_t kMaxSamplesPerRun = 4'000'000;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Buffer {
    uint8_t* linear = nullptr;
    uint32_t physical = 0;
    uint32_t size = 0;
};

SignalSynthesizer& Stream() {
    static SourceTimebase timebase(1);
    static SignalSynthesizer stream(timebase, 1);
    return stream;
}

// An address the fuzzer steers: mostly inside or just beside a buffer, since
// that is where the checks are, sometimes any 32-bit value.
uint32_t PickAddress(FuzzedDataProvider& input, const std::vector<Buffer>& buffers) {
    if (input.ConsumeBool()) {
        return input.ConsumeIntegral<uint32_t>();
    }
    const Buffer& buffer = buffers[input.ConsumeIntegralInRange<size_t>(0, buffers.size() - 1)];
    return buffer.physical + input.ConsumeIntegralInRange<uint32_t>(0, buffer.size + 64) - 32;
}

uint32_t PickCommand(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return kOpWrite << kOpcodeShift | input.ConsumeIntegral<uint16_t>();
        case 1:
            return kOpSync << kOpcodeShift | input.ConsumeIntegralInRange<uint32_t>(0, 0xF);
        case 2:
            return kOpJump << kOpcodeShift;
        default:
            return input.ConsumeIntegral<uint32_t>();
    }
}

void WriteProgram(FuzzedDataProvider& input, const std::vector<Buffer>& buffers) {
    const Buffer& program = buffers[0];
    const size_t count = input.ConsumeIntegralInRange<size_t>(1, program.size / 8);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t words[2] = {PickCommand(input), PickAddress(input, buffers)};
        std::memcpy(program.linear + i * 8, words, sizeof words);
    }
}

uint32_t PickStatus(FuzzedDataProvider& input) {
    static constexpr uint32_t kCodes[] = {kStatusFm1, kStatusVre, kStatusVro, kStatusFm3};
    if (input.ConsumeBool()) {
        return kCodes[input.ConsumeIntegralInRange<size_t>(0, 3)];
    }
    return input.ConsumeIntegralInRange<uint32_t>(0, 0xF);
}

void Drive(FuzzedDataProvider& input, DmaEngine& engine, EmulatedPhysMem& memory,
           std::vector<Buffer>& buffers) {
    uint64_t samples = 0;
    while (input.remaining_bytes() > 0 && samples < kMaxSamplesPerRun) {
        switch (input.ConsumeIntegralInRange(0, 4)) {
            case 0:
                engine.ReceiveStatus(PickStatus(input));
                break;
            case 1:
                engine.Start(PickAddress(input, buffers));
                break;
            case 2:
                engine.Stop();
                break;
            case 3:
                if (buffers.size() > 1) {
                    Require(memory.FreeBuffer(buffers.back().linear));
                    buffers.pop_back();
                }
                break;
            default: {
                const uint64_t count = input.ConsumeIntegralInRange<uint64_t>(0, 200'000);
                engine.ReceiveData(count, Stream());
                samples += count;
            }
        }
        const DmaEngine::State state = engine.CurrentState();
        Require(engine.IsRunning() == (state == DmaEngine::State::Running));
        if (state == DmaEngine::State::Running) {
            Require(engine.LastFault() == DmaEngine::Fault::None);
        }
        if (state == DmaEngine::State::Halted || state == DmaEngine::State::ModelFault) {
            Require(engine.LastFault() != DmaEngine::Fault::None);
        }
        engine.TakeInterruptBits();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::mutex modelLock;
    EmulatedPhysMem memory(modelLock);
    Require(memory.Open());
    std::vector<Buffer> buffers(1 + input.ConsumeIntegralInRange(1, 2));
    for (size_t i = 0; i < buffers.size(); ++i) {
        buffers[i].size =
            i == 0 ? kProgramBytes : input.ConsumeIntegralInRange<uint32_t>(1, kMaxCaptureBytes);
        Require(memory.AllocateBuffer(buffers[i].size, &buffers[i].linear, &buffers[i].physical));
    }
    WriteProgram(input, buffers);

    DmaEngine engine(memory);
    engine.Start(buffers[0].physical);
    Drive(input, engine, memory, buffers);
    for (const Buffer& buffer : buffers) {
        memory.FreeBuffer(buffer.linear);
    }
    return 0;
}
