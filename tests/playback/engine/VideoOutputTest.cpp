// The choice of video output from what was asked for, the window system and the OpenGL renderer.
#include "playback/VideoOutput.h"

#include <gtest/gtest.h>

TEST(VideoOutput, ChoiceFromRequestWindowSystemAndRenderer)
{
    struct Case {
        const char* asked;
        bool x11;
        const char* renderer;
        VideoOutputKind kind;
        const char* vo;
        const char* hwdec;
    };
    const Case cases[] = {
        // A hardware OpenGL: mpv's GPU output with hardware decoding.
        {"", true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", VideoOutputKind::Gpu, "gpu,xv,x11", "auto-safe"},
        {"", true, "NVIDIA GeForce GTX 1650/PCIe/SSE2", VideoOutputKind::Gpu, "gpu,xv,x11", "auto-safe"},
        // Software rasterisers and no OpenGL at all: never the GPU output.
        {"", true, "llvmpipe (LLVM 15.0.6, 256 bits)", VideoOutputKind::Xv, "xv,x11", "no"},
        {"", true, "Gallium 0.4 on softpipe", VideoOutputKind::Xv, "xv,x11", "no"},
        {"", true, "Software Rasterizer", VideoOutputKind::Xv, "xv,x11", "no"},
        {"", true, "Mesa swrast", VideoOutputKind::Xv, "xv,x11", "no"},
        {"", true, "", VideoOutputKind::Xv, "xv,x11", "no"},
        // Without an X11 window id only the software render path is left, whatever was asked.
        {"", false, "NVIDIA GeForce GTX 1650/PCIe/SSE2", VideoOutputKind::Render, "libmpv", "no"},
        {"gpu", false, "", VideoOutputKind::Render, "libmpv", "no"},
        // Asked for, in any case of letters; an unknown word is the automatic choice.
        {"render", true, "NVIDIA GeForce GTX 1650/PCIe/SSE2", VideoOutputKind::Render, "libmpv", "no"},
        {"X11", true, "NVIDIA GeForce GTX 1650/PCIe/SSE2", VideoOutputKind::X11, "x11", "no"},
        {"xv", true, "", VideoOutputKind::Xv, "xv,x11", "no"},
        {"gpu", true, "llvmpipe (LLVM 15.0.6, 256 bits)", VideoOutputKind::Gpu, "gpu,xv,x11", "auto-safe"},
        {"fastest", true, "llvmpipe (LLVM 15.0.6, 256 bits)", VideoOutputKind::Xv, "xv,x11", "no"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("asked '") + c.asked + "', x11 " + (c.x11 ? "yes" : "no") + ", '" + c.renderer + "'");
        const VideoOutputChoice choice = DecideVideoOutput(c.asked, c.x11, c.renderer);
        EXPECT_EQ(choice.kind, c.kind);
        EXPECT_EQ(choice.vo, c.vo);
        EXPECT_EQ(choice.hwdec, c.hwdec);
        EXPECT_EQ(choice.NativeWindow(), c.kind != VideoOutputKind::Render);
        EXPECT_FALSE(choice.reason.empty());
    }
}
