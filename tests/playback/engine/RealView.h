#pragma once
// The real engine installed, and a video view set up in a dialog as the player sets it up: the
// wrapper attached to the view with a picture area of 720 × 405.

#include "playback/MpvLibrary.h"
#include "playback/QuickTime.h"
#include "playback/RealEngine.h"
#include "playback/VideoView.h"

#include <QWidget>

/// Installs the real engine over libmpv and returns it (the dispatcher owns it).
inline RealEngine* InstallRealEngine()
{
    MpvLibrary::Status status;
    auto engine = MakeRealEngine(MpvLibrary::Load(kMpvLibraryName, &status));
    auto* real = static_cast<RealEngine*>(engine.get());
    InstallEngine(std::move(engine));
    return real;
}

/// A shown 900 × 600 dialog holding a video view whose wrapper is attached, 720 × 405.
struct AttachedView {
    explicit AttachedView(VideoViewOwner* owner)
        : view(new CVideoView(owner, &dialog)), qt(*view->movieWrapper)  // the dialog owns the view
    {
        dialog.resize(900, 600);
        dialog.show();
        qt.AttachWindow(view);
        qt.pictureWidth = 720;
        qt.pictureHeight = 405;
    }
    QWidget dialog;
    CVideoView* view;
    CQuickTime& qt;
};
