#pragma once

#include <cstdint>

#include "platform/RealtimeScheduling.h"

// Opt-in timing lines on standard error, for the performance measurements
// (scripts/measure-performance) and the soak test (scripts/soak). Each is off
// unless its environment variable is set to a value other than "0" when the
// program starts:
//
//   QUORVTV_LOG_FPS=1      one line per status-text rebuild (about once a
//                          second, from the second on) with the rate the
//                          overlay shows, the frames it counted and the
//                          milliseconds since the previous rebuild:
//                            quorvtv: fps 25 shown, 26 frames in 1040 ms at 12345.678901 s
//                          and one line whenever the frame loop takes a frame
//                          more than one frame after the one it took before
//                          (the chip's field counter tells):
//                            quorvtv: missed 2 frames at 12345.678901 s
//   QUORVTV_LOG_STARTUP=1  one line when the first presented picture has been
//                          painted into the panel:
//                            quorvtv: first frame painted at 12345.678901 s
//                          and one line with the scheduling the frame thread
//                          got as it started:
//                            quorvtv: frame thread scheduling realtime-direct at 12345.678901 s
//                          (realtime-direct, realtime-kit or unchanged)
//   QUORVTV_LOG_RECORDING=1  one line whenever the recorder opens a file,
//                          starts or pauses writing, or closes the file, with
//                          the frames written to it so far:
//                            quorvtv: recording writing at 12345.678901 s, 0 frames
//                          (the events are opened, writing, paused, closed)
//
// The times are CLOCK_MONOTONIC seconds, so a launcher that reads the same
// clock before starting the program can take the difference. The clock is read
// directly rather than through CurrentClock(): these are wall-time measurements
// of the real program, never part of its behaviour.
//
// Thread safety: all may be called from any thread.
namespace PerformanceLog {

// The rate one status-text rebuild shows, from `frames` counted over
// `interval_ms`.
void FramesShown(int shown_fps, int frames, uint32_t interval_ms);

// A frame the frame loop took, with the chip's field count (low 8 bits; two
// fields a frame). Frame thread only. The count wraps after 128 frames, so a
// gap of more than about five seconds is under-reported, and a frame thread
// that was stopped and started again reports the frames of its pause.
void FrameTaken(uint32_t fieldCount);

// The scheduling the frame thread got as it started.
void FrameThreadScheduling(RealtimeScheduling::Grant grant);

// Called on every paint of a presented picture; logs only the first.
void FramePainted();

// A change of the recorder's state: "opened", "writing", "paused" or "closed".
void RecordingChanged(const char* event, int framesWritten);

}  // namespace PerformanceLog
