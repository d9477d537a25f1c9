#include "playback/VideoOutput.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {
std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

VideoOutputChoice Make(VideoOutputKind kind, std::string reason)
{
    VideoOutputChoice choice;
    choice.kind = kind;
    choice.reason = std::move(reason);
    switch (kind) {
    case VideoOutputKind::Render:
        choice.vo = "libmpv";
        choice.hwdec = "no";
        break;
    case VideoOutputKind::Gpu:
        // Should the GPU output fail on this machine after all, mpv goes on to the next one.
        choice.vo = "gpu,xv,x11";
        choice.hwdec = "auto-safe";
        break;
    case VideoOutputKind::Xv:
        choice.vo = "xv,x11";  // X servers without the XVideo extension get plain X11
        choice.hwdec = "no";
        break;
    case VideoOutputKind::X11:
        choice.vo = "x11";
        choice.hwdec = "no";
        break;
    }
    return choice;
}

/// The GL_RENDERER of a context made on this display; empty when none can be made.
std::string ProbeGlRenderer()
{
    QOpenGLContext context;
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return {};
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    std::string renderer = name ? name : "";
    context.doneCurrent();
    return renderer;
}
}  // namespace

bool IsSoftwareGlRenderer(std::string_view renderer)
{
    const std::string name = Lower(renderer);
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe", "swiftshader"})
        if (name.find(software) != std::string::npos)
            return true;
    return false;
}

VideoOutputChoice DecideVideoOutput(std::string_view asked, bool x11Window, std::string_view glRenderer)
{
    const std::string want = Lower(asked);
    if (want == "render")
        return Make(VideoOutputKind::Render, "asked for (VINDREL_VIDEO_OUTPUT=render)");
    if (!x11Window)
        return Make(VideoOutputKind::Render, "no X11 window id on this display");
    if (want == "x11")
        return Make(VideoOutputKind::X11, "asked for (VINDREL_VIDEO_OUTPUT=x11)");
    if (want == "xv")
        return Make(VideoOutputKind::Xv, "asked for (VINDREL_VIDEO_OUTPUT=xv)");
    if (want == "gpu")
        return Make(VideoOutputKind::Gpu, "asked for (VINDREL_VIDEO_OUTPUT=gpu)");
    if (glRenderer.empty())
        return Make(VideoOutputKind::Xv, "no OpenGL context");
    if (IsSoftwareGlRenderer(glRenderer))
        return Make(VideoOutputKind::Xv, "OpenGL is a software renderer (" + std::string(glRenderer) + ")");
    return Make(VideoOutputKind::Gpu, "hardware OpenGL (" + std::string(glRenderer) + ")");
}

VideoOutputChoice ChooseVideoOutput()
{
    const char* asked = std::getenv("VINDREL_VIDEO_OUTPUT");
    const std::string want = asked ? asked : "";
    const bool x11 = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
                     QGuiApplication::platformName() == QLatin1String("xcb");
    // The probe costs a context; it is made only when its answer decides.
    const std::string lower = Lower(want);
    const bool forced = lower == "render" || lower == "x11" || lower == "xv" || lower == "gpu";
    const bool probe = x11 && !forced;
    return DecideVideoOutput(want, x11, probe ? ProbeGlRenderer() : std::string());
}

const char* VideoOutputName(VideoOutputKind kind)
{
    switch (kind) {
    case VideoOutputKind::Render: return "render";
    case VideoOutputKind::Gpu: return "gpu";
    case VideoOutputKind::Xv: return "xv";
    case VideoOutputKind::X11: return "x11";
    }
    return "render";
}
