#include "playback/MpvPlayer.h"

#include "playback/EngineLog.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace {
// Largest picture taken from mpv; anything bigger is treated as a failed picture.
constexpr int kMaxPictureSide = 16384;
constexpr std::size_t kRenderAlignment = 64;

std::size_t AlignUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }

void UpdateCallback(void* context) { static_cast<MpvPlayer*>(context)->Wake(); }

const mpv_node* MapValue(const mpv_node& map, std::string_view key)
{
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (map.u.list->keys[i] && key == map.u.list->keys[i])
            return &map.u.list->values[i];
    return nullptr;
}

std::int64_t MapInt(const mpv_node& map, std::string_view key)
{
    const mpv_node* v = MapValue(map, key);
    return v && v->format == MPV_FORMAT_INT64 ? v->u.int64 : -1;
}

// Reply numbers of the observed properties; commands use numbers above these.
enum Observed : std::uint64_t {
    kTimePos = 1,
    kEofReached,
    kPause,
    kVolume,
    kFramesDropped,
    kDecoderFramesDropped,
    kVideoWidth,
    kVideoHeight,
    kFrameNumber,
    kCurrentVo,
    kFirstCommandReply = 100,
};
}  // namespace

bool SoundDeviceLikely()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server)
        return true;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        fs::path dir(runtime);
        if (fs::exists(dir / "pulse" / "native", ec) || fs::exists(dir / "pipewire-0", ec))
            return true;
    }
    // An ALSA playback device: /dev/snd/pcmC<card>D<device>p.
    for (const auto& entry : fs::directory_iterator("/dev/snd", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("pcmC", 0) == 0 && !name.empty() && name.back() == 'p')
            return true;
    }
    return false;
}

void MpvPlayer::FreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

MpvPlayer::MpvPlayer(std::shared_ptr<MpvLibrary> library, const VideoOutputChoice& output, std::function<void()> wake)
    : library_(std::move(library)),
      mpv_(library_->Api()),
      output_(output),
      wake_(std::move(wake)),
      nextReply_(kFirstCommandReply)
{
}

std::unique_ptr<MpvPlayer> MpvPlayer::Create(std::shared_ptr<MpvLibrary> library, bool audio,
                                             const VideoOutputChoice& output, std::function<void()> wake,
                                             std::string* error)
{
    std::string scratch;
    std::string& why = error ? *error : scratch;
    if (!library) {
        why = "no engine library";
        return nullptr;
    }
    std::unique_ptr<MpvPlayer> player(new MpvPlayer(std::move(library), output, std::move(wake)));
    const MpvApi& mpv = player->mpv_;
    player->handle_ = mpv.create();
    if (!player->handle_) {
        why = "mpv_create failed";
        return nullptr;
    }
    // Heard from before anything can happen: a wake-up lost here would leave the player's news
    // unread until something else asked.
    mpv.set_wakeup_callback(player->handle_, UpdateCallback, player.get());
    static constexpr const char* kOptions[][2] = {
        {"config", "no"},
        {"terminal", "no"},
        {"input-cursor", "no"},  // clicks, keys and the pointer over the movie stay the player's
        {"cursor-autohide", "no"},
        {"keep-open", "yes"},  // the end stays reachable and shows the last frame
        {"pause", "yes"},      // a new movie stands at its start until it is played
        {"idle", "yes"},
        {"keepaspect", "no"},  // the picture fills the movie box, as the box asks
        {"sid", "no"},         // the GPS text track is data, not subtitles
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"osd-level", "0"},
        {"load-scripts", "no"},  // no scripts of the user's, and none of mpv's own
        {"osc", "no"},
        {"ytdl", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"audio-fallback-to-null", "yes"},
        {"audio-client-name", "vindrel"},
    };
    for (const auto& option : kOptions) {
        // Options this build of mpv does not know are left out; none of them is essential.
        mpv.set_option_string(player->handle_, option[0], option[1]);
    }
    // With nothing to hear it on, the sound goes to the null output. (Not playing it at all,
    // "aid=no", makes mpv's exact seeks land on another frame now and then.)
    if (!audio)
        mpv.set_option_string(player->handle_, "ao", "null");
    // Rendered frames are handed over at their display time; rendering never waits for it, so
    // the interface thread that renders is never put to sleep by mpv. mpv's own output keeps its
    // own timing.
    if (!output.NativeWindow())
        mpv.set_option_string(player->handle_, "video-timing-offset", "0");
    // Drawing into a window: nowhere until the owner names one.
    mpv.set_option_string(player->handle_, "vo", output.NativeWindow() ? "null" : "libmpv");
    mpv.set_option_string(player->handle_, "hwdec", output.hwdec.empty() ? "no" : output.hwdec.c_str());
    if (int err = mpv.initialize(player->handle_); err < 0) {
        why = std::string("mpv_initialize: ") + mpv.error_string(err);
        return nullptr;
    }
    mpv.observe_property(player->handle_, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv.observe_property(player->handle_, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv.observe_property(player->handle_, kPause, "pause", MPV_FORMAT_FLAG);
    mpv.observe_property(player->handle_, kVolume, "volume", MPV_FORMAT_DOUBLE);
    mpv.observe_property(player->handle_, kFramesDropped, "frame-drop-count", MPV_FORMAT_INT64);
    mpv.observe_property(player->handle_, kDecoderFramesDropped, "decoder-frame-drop-count", MPV_FORMAT_INT64);
    mpv.request_log_messages(player->handle_, "warn");
    if (output.NativeWindow()) {
        mpv.observe_property(player->handle_, kFrameNumber, "estimated-frame-number", MPV_FORMAT_INT64);
        mpv.observe_property(player->handle_, kCurrentVo, "current-vo", MPV_FORMAT_STRING);
        return player;
    }
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (int err = mpv.render_context_create(&player->render_, player->handle_, params); err < 0) {
        player->render_ = nullptr;
        why = std::string("mpv_render_context_create: ") + mpv.error_string(err);
        return nullptr;
    }
    mpv.render_context_set_update_callback(player->render_, UpdateCallback, player.get());
    return player;
}

MpvPlayer::~MpvPlayer()
{
    // The render context goes first; after terminate_destroy no callback runs any more.
    if (render_) {
        mpv_.render_context_set_update_callback(render_, nullptr, nullptr);
        mpv_.render_context_free(render_);
    }
    if (handle_) {
        mpv_.set_wakeup_callback(handle_, nullptr, nullptr);
        mpv_.terminate_destroy(handle_);
    }
}

void MpvPlayer::Wake()
{
    if (!wakeQueued_.exchange(true) && wake_)
        wake_();
}

bool MpvPlayer::Command(const std::vector<const char*>& words, std::uint64_t reply)
{
    std::vector<const char*> args = words;
    args.push_back(nullptr);
    return mpv_.command_async(handle_, reply, args.data()) >= 0;
}

void MpvPlayer::DrainEvents()
{
    // Whatever woke us is handled here; later news must queue a call again.
    wakeQueued_ = false;
    for (;;) {
        mpv_event* event = mpv_.wait_event(handle_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        HandleEvent(*event);
    }
}

bool MpvPlayer::Pump(int timeoutMs, const std::function<bool()>& done)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        wakeQueued_ = false;
        // mpv may need the render side to answer (a frame to take, a request queued for the
        // render thread): serve it while waiting, as the render thread would.
        if (render_ && (mpv_.render_context_update(render_) & MPV_RENDER_UPDATE_FRAME)) {
            gotFrame_ = true;
            Render();
        }
        mpv_event* event = mpv_.wait_event(handle_, 0.005);
        if (event->event_id != MPV_EVENT_NONE)
            HandleEvent(*event);
    }
    return true;
}

void MpvPlayer::SetOutputWindow(std::uint64_t windowId)
{
    if (!output_.NativeWindow())
        return;
    // Sent in order with the loadfile that follows: mpv's core takes a client's requests in turn.
    std::int64_t wid = std::int64_t(windowId);
    mpv_.set_property_async(handle_, 0, "wid", MPV_FORMAT_INT64, &wid);
    const std::string vo = windowId ? output_.vo : "null";
    const char* value = vo.c_str();
    mpv_.set_property_async(handle_, 0, "vo", MPV_FORMAT_STRING, &value);
}

bool MpvPlayer::Load(const std::string& path, int timeoutMs)
{
    loaded_ = loadFailed_ = false;
    lastError_.clear();
    frameShown_ = false;
    frameNumber_ = -1;
    if (!Command({"loadfile", path.c_str(), "replace"})) {
        lastError_ = "mpv did not take the file";
        return false;
    }
    if (!Pump(timeoutMs, [this] { return loaded_ || loadFailed_; })) {
        lastError_ = "mpv did not load the file in " + std::to_string(timeoutMs / 1000) + " s";
        qCWarning(lcEngine).noquote() << "mpv" << id_ << QString::fromStdString(lastError_);
        return false;
    }
    if (loadFailed_) {
        if (lastError_.empty())
            lastError_ = "mpv cannot play the file";
        qCWarning(lcEngine).noquote() << "mpv" << id_ << "load failed:" << QString::fromStdString(lastError_);
        return false;
    }
    // The size of the video as its track gives it (asked without waiting for the core).
    videoWidth_ = videoHeight_ = -1;
    mpv_.get_property_async(handle_, kVideoWidth, "current-tracks/video/demux-w", MPV_FORMAT_INT64);
    mpv_.get_property_async(handle_, kVideoHeight, "current-tracks/video/demux-h", MPV_FORMAT_INT64);
    Pump(timeoutMs, [this] { return videoWidth_ >= 0 && videoHeight_ >= 0; });
    if (videoWidth_ <= 0 || videoHeight_ <= 0 || videoWidth_ > kMaxPictureSide || videoHeight_ > kMaxPictureSide)
        videoWidth_ = videoHeight_ = 0;
    return true;
}

void MpvPlayer::HandleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_FILE_LOADED: loaded_ = true; break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (!loaded_ || (end && end->reason == MPV_END_FILE_REASON_ERROR)) {
            loadFailed_ = true;
            if (end && end->reason == MPV_END_FILE_REASON_ERROR) {
                // mpv's own reason, after the more precise words its log may have given.
                const std::string reason = mpv_.error_string(end->error);
                lastError_ = lastError_.empty() ? reason : reason + ": " + lastError_;
            }
        }
        seekPending_ = awaitingPosition_ = false;
        break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        if (!message || !message->text)
            break;
        std::string text = message->text;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        qCDebug(lcEngine).noquote() << "mpv" << id_ << (message->prefix ? message->prefix : "")
                                    << (message->level ? message->level : "") << QString::fromStdString(text);
        if (message->log_level <= MPV_LOG_LEVEL_ERROR && !text.empty())
            lastError_ = text;
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        qCDebug(lcEngine) << "mpv" << id_ << "playback restart, loaded" << loaded_;
        // In a window, the first restart after loading puts the first frame up.
        if (loaded_ && output_.NativeWindow() && !frameShown_) {
            frameShown_ = true;
            ++framesRendered_;
        }
        // The restart of the seek that was sent last (an earlier one's comes before its reply).
        if (seekPending_ && seekAcknowledged_) {
            seekPending_ = false;
            awaitingPosition_ = true;
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (!property)
            break;
        const bool has = property->format != MPV_FORMAT_NONE && property->data;
        switch (event.reply_userdata) {
        case kTimePos:
            timePos_ = has && property->format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(property->data) : 0;
            if (!std::isfinite(timePos_))
                timePos_ = 0;
            if (!seekPending_)
                awaitingPosition_ = false;
            break;
        case kEofReached:
            eofReached_ = has && property->format == MPV_FORMAT_FLAG && *static_cast<int*>(property->data) != 0;
            break;
        case kPause:
            if (has && property->format == MPV_FORMAT_FLAG)
                paused_ = *static_cast<int*>(property->data) != 0;
            break;
        case kVolume:
            if (has && property->format == MPV_FORMAT_DOUBLE)
                volume_ = *static_cast<double*>(property->data);
            break;
        case kFramesDropped:
            if (has && property->format == MPV_FORMAT_INT64)
                framesDropped_ = *static_cast<std::int64_t*>(property->data);
            break;
        case kDecoderFramesDropped:
            if (has && property->format == MPV_FORMAT_INT64)
                decoderFramesDropped_ = *static_cast<std::int64_t*>(property->data);
            break;
        case kFrameNumber:
            if (has && property->format == MPV_FORMAT_INT64) {
                const std::int64_t number = *static_cast<std::int64_t*>(property->data);
                if (frameShown_ && number != frameNumber_)
                    ++framesRendered_;
                frameNumber_ = number;
            }
            break;
        case kCurrentVo:
            if (has && property->format == MPV_FORMAT_STRING && *static_cast<char**>(property->data))
                qCInfo(lcEngine).noquote()
                    << "mpv" << id_ << "draws through its video output" << *static_cast<char**>(property->data);
            break;
        default: break;
        }
        break;
    }
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool ok = event.error >= 0 && property && property->format == MPV_FORMAT_INT64 && property->data;
        const std::int64_t value = ok ? *static_cast<std::int64_t*>(property->data) : 0;
        const int clamped = int(std::clamp<std::int64_t>(value, 0, kMaxPictureSide + 1));
        if (event.reply_userdata == kVideoWidth)
            videoWidth_ = clamped;
        else if (event.reply_userdata == kVideoHeight)
            videoHeight_ = clamped;
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (seekPending_ && event.reply_userdata == seekReply_) {
            seekAcknowledged_ = true;
            if (event.error < 0)
                seekPending_ = awaitingPosition_ = false;  // no seek will come
        }
        if (screenshotReply_ && event.reply_userdata == screenshotReply_) {
            screenshotReply_ = 0;
            screenshotDone_ = true;
            screenshotOk_ = false;
            const auto* reply = static_cast<const mpv_event_command*>(event.data);
            if (event.error < 0 || !reply || !screenshotOut_)
                break;
            const mpv_node& map = reply->result;
            const std::int64_t w = MapInt(map, "w"), h = MapInt(map, "h"), stride = MapInt(map, "stride");
            const mpv_node* format = MapValue(map, "format");
            const mpv_node* data = MapValue(map, "data");
            if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide || stride < w * 4 || !format ||
                format->format != MPV_FORMAT_STRING || std::strcmp(format->u.string, "bgr0") != 0 || !data ||
                data->format != MPV_FORMAT_BYTE_ARRAY || !data->u.ba ||
                data->u.ba->size < std::size_t(stride) * std::size_t(h - 1) + std::size_t(w) * 4)
                break;
            BgrxImage& out = *screenshotOut_;
            out.width = int(w);
            out.height = int(h);
            out.stride = std::size_t(w) * 4;
            out.pixels.resize(out.stride * std::size_t(h));
            const auto* src = static_cast<const std::uint8_t*>(data->u.ba->data);
            for (std::int64_t y = 0; y < h; ++y) {
                std::uint8_t* row = out.pixels.data() + std::size_t(y) * out.stride;
                std::memcpy(row, src + std::size_t(y) * std::size_t(stride), out.stride);
                for (std::int64_t x = 0; x < w; ++x)
                    row[x * 4 + 3] = 0xFF;
            }
            screenshotOk_ = true;
        }
        break;
    default: break;
    }
}

bool MpvPlayer::Idle()
{
    if (!render_) {
        // mpv draws into its window itself: only its news is taken in. True when the frame on
        // the screen changed since the last call, also where Position() took the news in: the
        // first frame's arrival must never go unseen, or its window would never be shown.
        DrainEvents();
        const bool changed = framesRendered_ != framesSeenByIdle_;
        framesSeenByIdle_ = framesRendered_;
        return changed;
    }
    DrainEvents();
    const bool due = mpv_.render_context_update(render_) & MPV_RENDER_UPDATE_FRAME;
    gotFrame_ = gotFrame_ || due;
    // A frame is due, or the one shown was rendered at another size than wanted now.
    const bool resized = gotFrame_ && renderWidth_ > 0 &&
                         (frameWidth_ != renderWidth_ || frameHeight_ != renderHeight_);
    if (due || resized)
        return Render();
    return false;
}

void MpvPlayer::SetRenderSize(int width, int height)
{
    renderWidth_ = std::max(0, width);
    renderHeight_ = std::max(0, height);
}

bool MpvPlayer::Render()
{
    if (!render_)
        return false;
    if (renderWidth_ <= 0 || renderHeight_ <= 0) {
        // Nothing to draw into; still let mpv know the frame was taken, so that playback goes on.
        int size[2] = {8, 8};
        std::size_t stride = 32;
        int noWaiting = 0;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noWaiting},
            {MPV_RENDER_PARAM_SW_SIZE, size},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, scratch_},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_.render_context_render(render_, params);
        return false;
    }
    const std::size_t stride = AlignUp(std::size_t(renderWidth_) * 4, kRenderAlignment);
    const std::size_t bytes = stride * std::size_t(renderHeight_);
    if (bytes > frameCapacity_) {
        frame_.reset(
            static_cast<std::uint8_t*>(std::aligned_alloc(kRenderAlignment, AlignUp(bytes, kRenderAlignment))));
        frameCapacity_ = frame_ ? bytes : 0;
        if (!frame_)
            return false;
    }
    int size[2] = {renderWidth_, renderHeight_};
    std::size_t strideParam = stride;
    int noWaiting = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noWaiting},
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
        {MPV_RENDER_PARAM_SW_STRIDE, &strideParam},
        {MPV_RENDER_PARAM_SW_POINTER, frame_.get()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_.render_context_render(render_, params) < 0)
        return false;
    // The fourth byte of bgr0 is undefined; the picture is painted as opaque 32-bit RGB.
    for (int y = 0; y < renderHeight_; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(frame_.get() + std::size_t(y) * stride);
        for (int x = 0; x < renderWidth_; ++x)
            row[x] |= 0xFF000000u;
    }
    frameWidth_ = renderWidth_;
    frameHeight_ = renderHeight_;
    frameStride_ = stride;
    ++framesRendered_;
    return true;
}

void MpvPlayer::SetPause(bool pause)
{
    int flag = pause ? 1 : 0;
    mpv_.set_property_async(handle_, 0, "pause", MPV_FORMAT_FLAG, &flag);
    paused_ = pause;  // as asked; mpv's own announcement follows
}

void MpvPlayer::Play() { SetPause(false); }

void MpvPlayer::Halt() { SetPause(true); }

void MpvPlayer::SeekExact(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    seconds = std::max(0.0, seconds);
    char target[64];
    std::snprintf(target, sizeof target, "%.6f", seconds);  // mpv reads it with the C locale
    const std::uint64_t reply = nextReply_++;
    if (Command({"seek", target, "absolute+exact"}, reply)) {
        seekPending_ = true;
        seekAcknowledged_ = false;
        awaitingPosition_ = false;
        seekReply_ = reply;
        seekTarget_ = seconds;
        atEnd_ = false;
    }
}

bool MpvPlayer::ShowFrameAt(double seconds, int timeoutMs)
{
    Halt();
    SeekExact(seconds);
    if (!Pump(timeoutMs, [this] { return !seekPending_; }))
        return false;
    // The new position is announced shortly after; it may also not change at all.
    Pump(std::min(timeoutMs, 250), [this] { return !awaitingPosition_; });
    awaitingPosition_ = false;
    // The frame shown starts after the time asked for: the one before it covers that time.
    // Half a millisecond of leeway for times written with three decimals.
    if (timePos_ > seconds + 0.0005 && timePos_ > 0.0005) {
        const std::uint64_t reply = nextReply_++;
        if (Command({"frame-back-step"}, reply)) {
            seekPending_ = true;
            seekAcknowledged_ = false;
            seekReply_ = reply;
            seekTarget_ = seconds;
            if (!Pump(timeoutMs, [this] { return !seekPending_; }))
                return false;
            Pump(std::min(timeoutMs, 250), [this] { return !awaitingPosition_; });
            awaitingPosition_ = false;
        }
    }
    return true;
}

void MpvPlayer::ToEnd()
{
    Halt();
    Command({"seek", "100", "absolute-percent+exact"});
    seekPending_ = awaitingPosition_ = false;
    atEnd_ = true;
}

void MpvPlayer::SetVolume(double volume)
{
    volume = std::clamp(volume, 0.0, 100.0);
    mpv_.set_property_async(handle_, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
    volume_ = volume;
}

double MpvPlayer::Position(bool* atEnd)
{
    // Take in what mpv reported, so that a finished seek is seen without an event loop.
    DrainEvents();
    if (atEnd)
        *atEnd = false;
    if (seekPending_ || awaitingPosition_)
        return seekTarget_;
    if ((atEnd_ || eofReached_) && atEnd)
        *atEnd = true;
    return std::max(0.0, timePos_);
}

bool MpvPlayer::Screenshot(BgrxImage* image, int timeoutMs)
{
    if (!image || !loaded_)
        return false;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    Pump(timeoutMs, [this] { return !seekPending_; });
    const int left = timeoutMs -
                     int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    screenshotReply_ = nextReply_++;
    screenshotDone_ = screenshotOk_ = false;
    screenshotOut_ = image;
    // Taken asynchronously: mpv may need this thread to render while it takes the picture.
    bool ok = false;
    if (Command({"screenshot-raw", "video"}, screenshotReply_))
        ok = Pump(std::max(left, 1), [this] { return screenshotDone_; }) && screenshotOk_;
    else
        screenshotReply_ = 0;
    // A reply still to come finds no destination any more.
    screenshotOut_ = nullptr;
    screenshotReply_ = 0;
    return ok;
}
