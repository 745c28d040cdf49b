#include "platform/PipeWireCameraSource.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/param.h>
#include <spa/pod/builder.h>
#include <spa/utils/hook.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr size_t kPictureBytes = CameraFormat::kWidth * CameraFormat::kHeight;

// A few EnumFormat objects, or Buffers and Meta: well under 1 KiB.
constexpr size_t kParamBytes = 1024;

// The frame thread's "above normal" priority.
constexpr int kAboveNormalNice = -5;

void WriteToStandardError(const std::string& line) {
    std::fprintf(stderr, "quorvtv: %s\n", line.c_str());
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

// PipeWire answers "host is down" when it finds no daemon's socket at all.
std::string ConnectFailure(int error) {
    if (error == EHOSTDOWN || error == ENOENT || error == ECONNREFUSED) {
        return "no PipeWire daemon is running";
    }
    return "can't connect to PipeWire (" + ErrorText(error) + ")";
}

// The hand-off keeps one picture, so this thread must take each within a
// frame time (40 ms) or the consumers miss it; on a busy machine a thread of
// normal priority waits longer than that. It runs as the frame thread does,
// above normal, before the context starts PipeWire's data thread, which
// inherits it. Without the privilege it keeps the priority it has.
void RaiseThreadPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kAboveNormalNice);
}

timespec AfterMs(uint32_t delay_ms) {
    // A zero timespec disarms a timer; "now" is one nanosecond.
    timespec value{static_cast<time_t>(delay_ms / 1000),
                   static_cast<long>(delay_ms % 1000) * 1'000'000};
    if (value.tv_sec == 0 && value.tv_nsec == 0) {
        value.tv_nsec = 1;
    }
    return value;
}

}  // namespace

struct PipeWireCameraSource::Hooks {
    spa_hook core{};
    spa_hook stream{};
};

struct PipeWireCameraSource::Callbacks {
    static PipeWireCameraSource& Of(void* data) {
        return *static_cast<PipeWireCameraSource*>(data);
    }

    static void RetryTimer(void* data, uint64_t) { Of(data).Attempt(); }

    static void FrameSignal(void* data, uint64_t) {
        PipeWireCameraSource& self = Of(data);
        if (self.stream_ != nullptr && pw_stream_is_driving(self.stream_)) {
            pw_stream_trigger_process(self.stream_);
        }
    }

    // Errors on the core object itself end the connection (a hang-up is
    // -EPIPE); errors on the stream's own objects reach the stream's state.
    static void CoreError(void* data, uint32_t id, int, int res, const char* message) {
        if (id == PW_ID_CORE) {
            Of(data).ConnectionLost("the PipeWire connection broke (" + ErrorText(-res) + ", " +
                                    (message != nullptr ? message : "no reason given") + ")");
        }
    }

    // Paused means the daemon took the node: connected, with or without a
    // consumer.
    static void StateChanged(void* data, pw_stream_state, pw_stream_state state,
                             const char* error) {
        PipeWireCameraSource& self = Of(data);
        self.streaming_.store(state == PW_STREAM_STATE_STREAMING, std::memory_order_release);
        if (state == PW_STREAM_STATE_ERROR) {
            self.ConnectionLost(std::string("the camera's PipeWire stream failed (") +
                                (error != nullptr ? error : "no reason given") + ")");
        } else if (state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING) {
            self.Published();
        }
    }

    static void ParamChanged(void* data, uint32_t id, const spa_pod* param) {
        if (id == SPA_PARAM_Format) {
            Of(data).Negotiated(param);
        }
    }

    static void Process(void* data) { Of(data).SendPicture(); }

    static pw_core_events CoreEvents() {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = &CoreError;
        return events;
    }

    static pw_stream_events StreamEvents() {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = &StateChanged;
        events.param_changed = &ParamChanged;
        events.process = &Process;
        return events;
    }

    static inline const pw_core_events kCoreEvents = CoreEvents();
    static inline const pw_stream_events kStreamEvents = StreamEvents();
};

// Everything after the thread loop starts happens on its thread: the first
// attempt to connect runs from the retry timer, armed to fire at once.
PipeWireCameraSource::PipeWireCameraSource(Report report)
    : report_(report ? std::move(report) : Report(&WriteToStandardError)),
      hooks_(std::make_unique<Hooks>()),
      handOff_(kPictureBytes) {
    pw_init(nullptr, nullptr);
    // The library's own log lines would be a second report of the same
    // failure; PIPEWIRE_DEBUG still turns them on for diagnosis.
    if (std::getenv("PIPEWIRE_DEBUG") == nullptr) {
        pw_log_set_level(SPA_LOG_LEVEL_NONE);
    }
    // Without its loop (no memory or file descriptors left) the camera stays
    // off: nothing ever streams, so Publish never reaches the loop.
    threadLoop_ = pw_thread_loop_new("quorv-camera", nullptr);
    if (threadLoop_ != nullptr) {
        loop_ = pw_thread_loop_get_loop(threadLoop_);
        retryTimer_ = pw_loop_add_timer(loop_, &Callbacks::RetryTimer, this);
        frameSignal_ = pw_loop_add_event(loop_, &Callbacks::FrameSignal, this);
    }
    int error = errno;
    if (retryTimer_ != nullptr && frameSignal_ != nullptr) {
        RetryIn(0);
        const int started = pw_thread_loop_start(threadLoop_);
        if (started == 0) {
            return;
        }
        error = -started;
    }
    report_("the camera for other programs is off: PipeWire could not be set up (" +
            ErrorText(error) + ")");
}

// With the thread stopped nothing else touches the objects, so they are
// destroyed without the loop's lock, stream before core before context.
PipeWireCameraSource::~PipeWireCameraSource() {
    if (threadLoop_ != nullptr) {
        pw_thread_loop_stop(threadLoop_);
        Teardown();
        if (context_ != nullptr) {
            pw_context_destroy(context_);
        }
        for (spa_source* source : {frameSignal_, retryTimer_}) {
            if (source != nullptr) {
                pw_loop_destroy_source(loop_, source);
            }
        }
        pw_thread_loop_destroy(threadLoop_);
    }
    pw_deinit();
}

// The sequence counts every picture shown, published or not, so a consumer
// can tell from the gaps how many it missed.
void PipeWireCameraSource::Publish(const uint8_t* bottomUpPixels) {
    const uint64_t sequence = published_++;
    if (!streaming_.load(std::memory_order_acquire)) {
        return;
    }
    handOff_.Put(bottomUpPixels, sequence);
    pw_loop_signal_event(loop_, frameSignal_);
}

void PipeWireCameraSource::Attempt() {
    Teardown();
    if (context_ == nullptr) {
        RaiseThreadPriority();
        context_ = pw_context_new(loop_, nullptr, 0);
        if (context_ == nullptr) {
            ConnectionLost("PipeWire could not be set up (" + ErrorText(errno) + ")");
            return;
        }
    }
    core_ = pw_context_connect(context_, nullptr, 0);
    if (core_ == nullptr) {
        ConnectionLost(ConnectFailure(errno));
        return;
    }
    link_ = Link::Connected;
    pw_core_add_listener(core_, &hooks_->core, &Callbacks::kCoreEvents, this);
    if (!CreateStream()) {
        ConnectionLost("PipeWire refused the camera's stream (" + ErrorText(errno) + ")");
    }
}

// Driving: the node starts a graph cycle for each picture instead of waiting
// for another driver's clock, which a camera-only graph hasn't got.
bool PipeWireCameraSource::CreateStream() {
    stream_ =
        pw_stream_new(core_, "quorvtv",
                      pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                        "Capture", PW_KEY_MEDIA_ROLE, "Camera", PW_KEY_MEDIA_CLASS,
                                        "Video/Source", PW_KEY_NODE_NAME, "quorvtv",
                                        PW_KEY_NODE_DESCRIPTION, "QuorvTV", nullptr));
    if (stream_ == nullptr) {
        return false;
    }
    pw_stream_add_listener(stream_, &hooks_->stream, &Callbacks::kStreamEvents, this);
    uint8_t buffer[kParamBytes];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[CameraFormat::kOffered.size()];
    for (size_t i = 0; i < CameraFormat::kOffered.size(); ++i) {
        params[i] = CameraFormat::BuildEnumFormat(builder, CameraFormat::kOffered[i]);
    }
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS);
    return pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params,
                             CameraFormat::kOffered.size()) == 0;
}

void PipeWireCameraSource::Teardown() {
    streaming_.store(false, std::memory_order_release);
    format_.reset();
    if (stream_ != nullptr) {
        pw_stream_destroy(stream_);
        stream_ = nullptr;
    }
    if (core_ != nullptr) {
        spa_hook_remove(&hooks_->core);
        pw_core_disconnect(core_);
        core_ = nullptr;
    }
    link_ = Link::Down;
}

// Called from inside PipeWire's callbacks, where the core and the stream must
// stay alive; the retry timer tears them down and tries again. An outage is
// reported once, however many attempts it takes.
void PipeWireCameraSource::ConnectionLost(const std::string& cause) {
    if (link_ == Link::Lost) {
        return;
    }
    link_ = Link::Lost;
    streaming_.store(false, std::memory_order_release);
    const uint32_t delay_ms = backoff_.NextDelay_ms();
    if (!outage_) {
        outage_ = true;
        report_("the camera for other programs is off: " + cause + "; trying again meanwhile");
    }
    RetryIn(delay_ms);
}

void PipeWireCameraSource::RetryIn(uint32_t delay_ms) {
    timespec value = AfterMs(delay_ms);
    pw_loop_update_timer(loop_, retryTimer_, &value, nullptr, false);
}

void PipeWireCameraSource::Published() {
    backoff_.Reset();
    if (outage_) {
        outage_ = false;
        report_("the camera for other programs is on again");
    }
}

// The consumer's choice arrives as a fixed Format; the buffers are then
// asked for in its size, with a header for the sequence number and time.
void PipeWireCameraSource::Negotiated(const spa_pod* format) {
    format_.reset();
    if (format == nullptr) {
        return;
    }
    format_ = CameraFormat::FromParam(*format);
    if (!format_) {
        pw_stream_set_error(stream_, -EINVAL, "not a format the camera offers");
        return;
    }
    uint8_t buffer[kParamBytes];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* params[2];
    params[0] = format_->BuildBuffers(builder);
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    pw_stream_update_params(stream_, params, 2);
}

// The newest picture goes into a free buffer; with none free (the consumer
// holds them all) it is dropped, and so is a cycle without a new picture.
void PipeWireCameraSource::SendPicture() {
    if (!format_) {
        return;
    }
    const std::optional<FrameHandOff::Frame> frame = handOff_.Take();
    if (!frame) {
        return;
    }
    pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
    if (buffer == nullptr) {
        return;
    }
    spa_data& data = buffer->buffer->datas[0];
    const uint32_t size_bytes = format_->Size_bytes();
    if (data.data == nullptr || data.maxsize < size_bytes) {
        data.chunk->size = 0;
        pw_stream_queue_buffer(stream_, buffer);
        return;
    }
    format_->Write(frame->bytes, static_cast<uint8_t*>(data.data));
    data.chunk->offset = 0;
    data.chunk->size = size_bytes;
    data.chunk->stride = static_cast<int32_t>(format_->Stride_bytes());
    if (auto* header = static_cast<spa_meta_header*>(
            spa_buffer_find_meta_data(buffer->buffer, SPA_META_Header, sizeof(spa_meta_header)))) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        header->flags = 0;
        header->offset = 0;
        header->pts = SPA_TIMESPEC_TO_NSEC(&now);
        header->dts_offset = 0;
        header->seq = frame->sequence;
    }
    pw_stream_queue_buffer(stream_, buffer);
}
