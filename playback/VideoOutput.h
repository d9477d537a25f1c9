#pragma once
// How movies reach the screen, chosen once when the engine starts.
//
// Where the window system gives a native window id (X11), mpv draws each movie with its own video
// output into a child window of the video view: the frames never pass through Qt, whose window
// holding the map is composited through OpenGL. A hardware OpenGL gets mpv's GPU output with
// hardware decoding; a software rasteriser (llvmpipe and its kin) would redo on the processor
// what XVideo or plain X11 do for nothing, so it never gets the GPU output. Without a native
// window id (a Wayland session without XWayland, a program without a display), mpv renders in
// software into memory and the view paints the frames.

#include <string>
#include <string_view>

enum class VideoOutputKind { Render, Gpu, Xv, X11 };

struct VideoOutputChoice {
    VideoOutputKind kind = VideoOutputKind::Render;
    std::string vo;      ///< mpv's vo option: its outputs in the order to try them
    std::string hwdec;   ///< mpv's hwdec option
    std::string reason;  ///< why, in words, for the log

    bool NativeWindow() const { return kind != VideoOutputKind::Render; }
};

/// True for the names software OpenGL rasterisers give as their GL_RENDERER.
bool IsSoftwareGlRenderer(std::string_view renderer);

/// The choice, from what was asked for (VINDREL_VIDEO_OUTPUT: "render", "x11", "xv", "gpu", or
/// empty for the automatic choice), whether a native X11 window id can be had, and the OpenGL
/// renderer's name (empty when no OpenGL context could be made).
VideoOutputChoice DecideVideoOutput(std::string_view asked, bool x11Window, std::string_view glRenderer);

/// The choice for this process: asks the environment, the window system and OpenGL. Needs the
/// application object; without a GUI application it is the software render path.
VideoOutputChoice ChooseVideoOutput();

/// "render", "gpu", "xv" or "x11".
const char* VideoOutputName(VideoOutputKind kind);
