#include "tools/CameraProbe.h"

#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

constexpr uint32_t kWidth = 360;
constexpr uint32_t kHeight = 288;

double Now_s() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

uint32_t VideoFormatNamed(const std::string& name) {
    if (name == "I420") {
        return SPA_VIDEO_FORMAT_I420;
    }
    if (name == "YUY2") {
        return SPA_VIDEO_FORMAT_YUY2;
    }
    return SPA_VIDEO_FORMAT_GRAY8;
}

// Limited-range luma 16 ... 235 back to grey 0 ... 255.
uint8_t GreyOfLuma(uint8_t luma) {
    const int grey = ((int(luma) - 16) * 255 + 109) / 219;
    return static_cast<uint8_t>(std::clamp(grey, 0, 255));
}

}  // namespace

CameraProbe::CameraProbe(Settings settings) : settings_(std::move(settings)) {
    pw_init(nullptr, nullptr);
    videoFormat_ = VideoFormatNamed(settings_.format);
}

CameraProbe::~CameraProbe() {
    pw_deinit();
}

bool CameraProbe::Run(Report& report, std::string& error) {
    report_ = &report;
    loop_ = pw_main_loop_new(nullptr);
    pw_loop* loop = pw_main_loop_get_loop(loop_);
    timer_ = pw_loop_add_timer(loop, &CameraProbe::OnTimeout, this);
    stream_ = pw_stream_new_simple(
        loop, "quorvtv-camera-probe",
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                          PW_KEY_MEDIA_ROLE, "Camera", PW_KEY_TARGET_OBJECT,
                          settings_.target.c_str(), nullptr),
        &Events(), this);

    uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    spa_rectangle size{kWidth, kHeight};
    spa_fraction rate{25, 1};
    spa_fraction slowest{0, 1};
    spa_fraction fastest{1000, 1};
    const spa_pod* params[1] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format, SPA_POD_Id(videoFormat_),
        SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
        SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest)))};
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    pw_stream_connect(stream_, PW_DIRECTION_INPUT, PW_ID_ANY, flags, params, 1);

    timespec patience{static_cast<time_t>(settings_.patience_s), 0};
    pw_loop_update_timer(loop, timer_, &patience, nullptr, false);
    pw_main_loop_run(loop_);

    pw_stream_destroy(stream_);
    pw_loop_destroy_source(loop, timer_);
    pw_main_loop_destroy(loop_);
    if (report.frames == 0 && failure_.empty()) {
        failure_ = "no picture within " + std::to_string(settings_.patience_s) + " s";
    }
    error = failure_;
    return report.frames > 0;
}

const pw_stream_events& CameraProbe::Events() {
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &CameraProbe::OnStateChanged;
        e.param_changed = &CameraProbe::OnParamChanged;
        e.process = &CameraProbe::OnProcess;
        return e;
    }();
    return events;
}

void CameraProbe::OnParamChanged(void* self, uint32_t id, const spa_pod* param) {
    auto& probe = *static_cast<CameraProbe*>(self);
    if (id != SPA_PARAM_Format || param == nullptr) {
        return;
    }
    spa_video_info_raw info{};
    spa_format_video_raw_parse(param, &info);
    ++probe.report_->negotiations;
    // The header carries the camera's sequence numbers.
    uint8_t buffer[256];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    const spa_pod* meta = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    pw_stream_update_params(probe.stream_, &meta, 1);
    probe.report_->negotiated =
        std::string(info.format == SPA_VIDEO_FORMAT_I420    ? "I420"
                    : info.format == SPA_VIDEO_FORMAT_YUY2  ? "YUY2"
                    : info.format == SPA_VIDEO_FORMAT_GRAY8 ? "GRAY8"
                                                            : "other") +
        " " + std::to_string(info.size.width) + "x" + std::to_string(info.size.height) + " " +
        std::to_string(info.framerate.num) + "/" + std::to_string(info.framerate.denom);
}

void CameraProbe::OnStateChanged(void* self, pw_stream_state, pw_stream_state state,
                                 const char* error) {
    auto& probe = *static_cast<CameraProbe*>(self);
    if (state == PW_STREAM_STATE_ERROR) {
        probe.failure_ = std::string("stream error: ") + (error != nullptr ? error : "?");
        pw_main_loop_quit(probe.loop_);
    }
}

void CameraProbe::OnTimeout(void* self, uint64_t) {
    pw_main_loop_quit(static_cast<CameraProbe*>(self)->loop_);
}

void CameraProbe::OnProcess(void* self) {
    auto& probe = *static_cast<CameraProbe*>(self);
    pw_buffer* buffer = pw_stream_dequeue_buffer(probe.stream_);
    if (buffer == nullptr) {
        return;
    }
    probe.Receive(*buffer->buffer);
    if (probe.settings_.hold_ms > 0) {
        const timespec hold{probe.settings_.hold_ms / 1000,
                            (probe.settings_.hold_ms % 1000) * 1'000'000L};
        nanosleep(&hold, nullptr);
    }
    pw_stream_queue_buffer(probe.stream_, buffer);
}

void CameraProbe::Receive(const spa_buffer& buffer) {
    const double now_s = Now_s();
    if (firstAt_s_ < 0) {
        firstAt_s_ = now_s;
        timespec window{static_cast<time_t>(settings_.seconds),
                        static_cast<long>((settings_.seconds - int(settings_.seconds)) * 1e9)};
        pw_loop_update_timer(pw_main_loop_get_loop(loop_), timer_, &window, nullptr, false);
    }
    if (now_s - firstAt_s_ > settings_.seconds) {
        return;
    }
    const spa_data& data = buffer.datas[0];
    const bool packed = videoFormat_ == SPA_VIDEO_FORMAT_YUY2;
    const uint32_t stride =
        data.chunk->stride > 0 ? uint32_t(data.chunk->stride) : (packed ? 2 : 1) * kWidth;
    if (data.data == nullptr || data.chunk->size < stride * (kHeight - 1) + kWidth) {
        failure_ = "a picture of " + std::to_string(data.chunk->size) + " bytes";
        return;
    }
    const auto* bytes = static_cast<const uint8_t*>(data.data) + data.chunk->offset;
    std::vector<uint8_t> picture(kWidth * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t value = bytes[y * stride + (packed ? 2 * x : x)];
            picture[y * kWidth + x] =
                videoFormat_ == SPA_VIDEO_FORMAT_GRAY8 ? value : GreyOfLuma(value);
        }
    }
    if (report_->pictures.size() < settings_.keptPictures) {
        report_->pictures.push_back(std::move(picture));
    }
    ++report_->frames;
    report_->span_s = now_s - firstAt_s_;
    if (const auto* header = static_cast<const spa_meta_header*>(
            spa_buffer_find_meta_data(&buffer, SPA_META_Header, sizeof(spa_meta_header)))) {
        if (!report_->sequenced) {
            report_->firstSequence = header->seq;
            report_->sequenced = true;
        }
        report_->lastSequence = header->seq;
    }
}
