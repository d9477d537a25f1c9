#pragma once
// One mpv instance playing one movie, drawn either by mpv's own video output into a native window
// the owner gives it, or through mpv's software render API into memory for the owner to paint.
//
// Every call runs on the thread that uses the player (the user-interface thread), which is also
// the thread that renders. That thread never waits for mpv's core: mpv's core may itself wait for
// the render thread (to set up the video output, to take a picture), so commands and property
// changes are sent asynchronously and the values the player reports are the ones mpv announced
// (observed properties). mpv's own threads only call the wake function given at creation; that
// function must do nothing but queue a call of Idle() to the owning thread.

#include "playback/MpvLibrary.h"
#include "playback/VideoOutput.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/// A frame as 32-bit pixels in memory order B, G, R, 0xFF, rows top-down.
struct BgrxImage {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> pixels;
};

/// Whether a sound output is likely to exist: a sound server's socket or a playback device.
/// Without one the player uses the null audio output, silently.
bool SoundDeviceLikely();

class MpvPlayer {
public:
    /// Makes and initialises an instance with the player's options: for the software render path
    /// with a render context, else ready to draw into a window given later. `audio` false uses
    /// the null audio output. Null on failure, with *error saying why. Safe on any thread; the
    /// numeric locale must already be C (UseCNumericLocale at engine start).
    static std::unique_ptr<MpvPlayer> Create(std::shared_ptr<MpvLibrary> library, bool audio,
                                             const VideoOutputChoice& output, std::function<void()> wake,
                                             std::string* error);
    ~MpvPlayer();
    MpvPlayer(const MpvPlayer&) = delete;
    MpvPlayer& operator=(const MpvPlayer&) = delete;

    /// For a player that draws into windows: the native window the next Load draws into; 0 draws
    /// nowhere (mpv's null output, which still gives pictures).
    void SetOutputWindow(std::uint64_t windowId);
    bool DrawsIntoWindow() const { return output_.NativeWindow(); }
    /// For a player that draws into a window: the movie's first frame is on the screen.
    bool FrameShown() const { return frameShown_; }

    /// Loads a file, paused at its start, and waits until it is loaded (or failed, or the time
    /// ran out). Size of the video from its track: 0 × 0 when it has none.
    bool Load(const std::string& path, int timeoutMs);
    int VideoWidth() const { return videoWidth_; }
    int VideoHeight() const { return videoHeight_; }

    void Play();
    void Halt();
    /// Whether the movie stands still (halted, or paused by mpv at its end).
    bool Paused() const { return paused_; }
    /// Exact seek; a playing movie plays on from there.
    void SeekExact(double seconds);
    /// Halts and shows the frame that playback shows at that time: the last one starting at or
    /// before it (an exact seek alone gives the first one starting at or after it). Waits until
    /// it is there; false when the time ran out.
    bool ShowFrameAt(double seconds, int timeoutMs);
    /// Paused at the end, showing the last frame.
    void ToEnd();
    /// 0 to 100.
    void SetVolume(double volume);
    double Volume() const { return volume_; }

    /// Where the movie is: the target of a seek still under way, else the playback position.
    /// *atEnd tells that it stands at its end (after ToEnd or having played to the end).
    double Position(bool* atEnd);

    /// Handles what mpv reported and renders a new frame when one is due. True when the frame
    /// changed.
    bool Idle();
    /// Size frames are rendered at from the next Idle() on; a change renders the frame shown
    /// again there.
    void SetRenderSize(int width, int height);
    /// The last rendered frame (width 0 when none yet). Pixels stay valid until the next render.
    const std::uint8_t* FramePixels() const { return frame_.get(); }
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    std::size_t FrameStride() const { return frameStride_; }
    /// Frames rendered since the player was made (software render path), or frames mpv showed in
    /// its window.
    std::uint64_t FramesRendered() const { return framesRendered_; }
    /// Frames mpv dropped at the output and in the decoder, as it last announced.
    std::int64_t FramesDropped() const { return framesDropped_; }
    std::int64_t DecoderFramesDropped() const { return decoderFramesDropped_; }

    /// The frame shown now at the movie's own size, taken by mpv without stalling rendering.
    /// Waits for a seek under way first. False when there is no frame (no video, time ran out).
    bool Screenshot(BgrxImage* image, int timeoutMs);

    /// Why the last Load failed, or the last error mpv reported, in mpv's words.
    const std::string& LastError() const { return lastError_; }

    /// Called from mpv's threads.
    void Wake();

    /// A number the owner gives the player to find it again.
    void SetId(std::uint64_t id) { id_ = id; }
    std::uint64_t Id() const { return id_; }

private:
    MpvPlayer(std::shared_ptr<MpvLibrary> library, const VideoOutputChoice& output, std::function<void()> wake);
    bool Render();
    void HandleEvent(const mpv_event& event);
    void DrainEvents();
    /// Waits for mpv events while keeping the render side serviced, until done() or timeout.
    bool Pump(int timeoutMs, const std::function<bool()>& done);
    void SetPause(bool pause);
    /// Sends a command without waiting for it; its reply comes as an event.
    bool Command(const std::vector<const char*>& words, std::uint64_t reply = 0);

    std::shared_ptr<MpvLibrary> library_;
    const MpvApi& mpv_;
    VideoOutputChoice output_;
    std::function<void()> wake_;
    std::atomic<bool> wakeQueued_{false};
    std::uint64_t id_ = 0;
    mpv_handle* handle_ = nullptr;
    mpv_render_context* render_ = nullptr;

    bool loaded_ = false;
    bool loadFailed_ = false;
    std::string lastError_;
    bool frameShown_ = false;        // drawing into a window: the first frame is up
    std::int64_t frameNumber_ = -1;  // drawing into a window: mpv's number of the frame shown
    int videoWidth_ = 0;
    int videoHeight_ = 0;

    // What mpv announced.
    double timePos_ = 0;
    bool eofReached_ = false;
    bool paused_ = true;
    double volume_ = 100;
    std::int64_t framesDropped_ = 0;
    std::int64_t decoderFramesDropped_ = 0;

    // A seek under way: sent, then acknowledged (its reply), then done (playback restarted),
    // then the new position announced.
    bool seekPending_ = false;
    bool seekAcknowledged_ = false;
    bool awaitingPosition_ = false;
    std::uint64_t seekReply_ = 0;
    double seekTarget_ = 0;
    bool atEnd_ = false;

    std::uint64_t nextReply_ = 1;
    std::uint64_t screenshotReply_ = 0;
    bool screenshotDone_ = false;
    bool screenshotOk_ = false;
    BgrxImage* screenshotOut_ = nullptr;

    struct FreeDeleter {
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t, FreeDeleter> frame_;
    int renderWidth_ = 0;
    int renderHeight_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    std::size_t frameStride_ = 0;
    std::size_t frameCapacity_ = 0;
    std::uint64_t framesRendered_ = 0;
    std::uint64_t framesSeenByIdle_ = 0;             // drawing into a window: what Idle() last reported
    bool gotFrame_ = false;                          // mpv has had a frame to show
    alignas(64) std::uint8_t scratch_[8 * 32] = {};  // target of frames that have nowhere to go
};
