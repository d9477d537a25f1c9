#include "playback/QuickTime.h"

#include "playback/VideoView.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
std::uint32_t MessageTime()
{
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IsInputMessage(std::uint32_t message)
{
    switch (QEvent::Type(message)) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::Enter: return true;
    default: return false;
    }
}
}  // namespace

CQuickTime::CQuickTime() = default;

CQuickTime::~CQuickTime() { ReleaseHeld(); }

void CQuickTime::ReleaseHeld()
{
    if (madeController_) {
        EngineDisposeController(madeController_);
        if (controller == madeController_)
            controller = nullptr;
        madeController_ = nullptr;
    }
    if (madeMovie_) {
        EngineDisposeMovie(madeMovie_);
        if (movie == madeMovie_)
            movie = nullptr;
        madeMovie_ = nullptr;
    }
    isOpen = 0;
}

void CQuickTime::ReleaseForgotten()
{
    if (madeMovie_ && movie != madeMovie_)
        ReleaseHeld();
}

int CQuickTime::OpenMovie(const char* newPath)
{
    if (!newPath || !*newPath)
        return 0;
    // Whatever this wrapper opened before goes now, also a movie that Stop forgot.
    ReleaseHeld();
    lastError = kEngineParamErr;
    lastErrorText.clear();
    std::memset(path, 0, sizeof path);
    const std::size_t length = std::strlen(newPath);
    if (length <= 255) {
        std::memcpy(path, newPath, length);
        ToLengthPrefixed(path);
        EngineFileSpec spec;
        EngineMakeFileSpec(reinterpret_cast<const unsigned char*>(path), &spec);
        EngineSetDrawPort(EngineWindowPort(window), nullptr);
        std::int16_t fileRef = 0;
        lastError = EngineOpenMovieFile(spec, &fileRef, 1);
        if (lastError != noErr) {
            lastErrorText = CurrentEngine().LastErrorText();
        } else {
            Movie opened = nullptr;
            const OSErr err = EngineMovieFromFile(&opened, fileRef);
            // The reason is taken before another call can replace it.
            lastError = err == noErr && !opened ? kEngineInvalidMovie : err;
            if (lastError != noErr)
                lastErrorText = CurrentEngine().LastErrorText();
            EngineCloseMovieFile(fileRef);
            if (err == noErr && opened) {
                movie = opened;
                madeMovie_ = opened;
                SetUpController(opened);
                isOpen = 1;
                FromLengthPrefixed(path);
                UpdateCaption();
                return 1;
            }
        }
    }
    // A path too long for the engine's length byte fails like a file that cannot be read.
    if (length > 255)
        lastErrorText = "the path is longer than the engine takes (255 bytes)";
    std::memset(path, 0, sizeof path);
    UpdateCaption();
    return 0;
}

void CQuickTime::CloseMovie()
{
    if (isOpen == 1) {
        if (controller && controller != madeController_)
            EngineDisposeController(controller);
        if (movie && movie != madeMovie_)
            EngineDisposeMovie(movie);
        ReleaseHeld();
        controller = nullptr;
        movie = nullptr;
    }
    EngineSizeWindow(EngineWindowPort(window), 320, 1, false);
    std::memset(path, 0, sizeof path);
    UpdateCaption();
}

void CQuickTime::CreateEmptyMovie()
{
    CloseMovie();
    EngineSetDrawPort(EngineWindowPort(window), nullptr);
    movie = EngineNewMovie(1);
    if (!movie)
        return;
    madeMovie_ = movie;
    std::memset(path, 0, sizeof path);
    std::strcpy(path, "Untitled");
    UpdateCaption();
    SetUpController(movie);
    isOpen = 1;
}

void CQuickTime::HandleWindowMessage(QWidget* target, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam)
{
    ReleaseForgotten();
    if (IsInputMessage(message)) {
        const QPoint at = QCursor::pos();
        cursorX_ = std::int16_t(at.x());
        cursorY_ = std::int16_t(at.y());
    }
    EngineNativeMessage native;
    native.window = target;
    native.message = message;
    native.wParam = wParam;
    native.lParam = lParam;
    native.time = MessageTime();
    native.x = cursorX_;
    native.y = cursorY_;
    EngineEvent event;
    EngineTranslateMessage(native, &event);
    ControllerPassEvent(controller, event);  // the controller's answer does not matter here
}

int CQuickTime::AttachWindow(QWidget* newWindow)
{
    if (!newWindow)
        return 0;
    window = newWindow;
    captionWindow = newWindow->parentWidget();
    UpdateCaption();
    EngineAttachWindow(window, 0, nullptr);
    return 0;
}

void CQuickTime::DetachWindow()
{
    CloseMovie();
    EngineDetachWindow(window);
}

void CQuickTime::SetUpController(Movie forMovie)
{
    EngineGetMovieBox(forMovie, &naturalBox);
    EngineGetMovieBox(forMovie, &controllerBox);
    controllerBox.right = pictureWidth;
    controllerBox.bottom = pictureHeight;
    const std::int16_t dx = controllerBox.left, dy = controllerBox.top;
    controllerBox.left = std::int16_t(controllerBox.left - dx);
    controllerBox.right = std::int16_t(controllerBox.right - dx);
    controllerBox.top = std::int16_t(controllerBox.top - dy);
    controllerBox.bottom = std::int16_t(controllerBox.bottom - dy);

    controller = EngineNewController(forMovie, controllerBox, 1);
    madeController_ = controller;
    EngineRect bounds;
    ControllerGetBounds(controller, &bounds);
    ControllerAllowEditing(controller, true);
    long flags = 0;
    ControllerAction(controller, kActionGetFlags, &flags);
    ControllerAction(controller, kActionSetFlags,
                     reinterpret_cast<void*>(std::intptr_t(flags | kControllerFlagUseWindowPalette)));
    ControllerAction(controller, kActionSetKeysEnabled, reinterpret_cast<void*>(std::intptr_t(1)));
    ControllerSetActionFilter(controller, &CVideoView::VideoActionFilter, reinterpret_cast<std::intptr_t>(window));
    EngineRect desktop = DesktopBounds();
    ControllerAction(controller, kActionSetGrowBoxBounds, &desktop);
    ControllerShowBar(controller, false);
}

void CQuickTime::UpdateCaption()
{
    std::string text = CaptionPrefix();
    const std::string name = FileNamePart();
    if (!name.empty()) {
        if (!text.empty())
            text += " - ";
        text += name;
    }
    if (captionWindow)
        captionWindow->setWindowTitle(QString::fromLocal8Bit(text.data(), qsizetype(text.size())));
}

std::string CQuickTime::FileNamePart() const
{
    const std::string whole(path, strnlen(path, sizeof path));
    const auto slash = whole.rfind('/');
    return slash == std::string::npos ? whole : whole.substr(slash + 1);
}

std::string CQuickTime::CaptionPrefix() const
{
    return std::string(captionPrefix, strnlen(captionPrefix, sizeof captionPrefix));
}

void CQuickTime::ToLengthPrefixed(char* text) const
{
    if (!text)
        return;
    const std::size_t length = strnlen(text, 255);
    std::memmove(text + 1, text, length);
    text[0] = char(std::uint8_t(length));
}

void CQuickTime::FromLengthPrefixed(char* text) const
{
    if (!text)
        return;
    const std::size_t length = std::uint8_t(text[0]);
    std::memmove(text, text + 1, length);
    text[length] = '\0';
}

int CQuickTime::BorderWidth() const
{
    return captionWindow ? captionWindow->frameGeometry().width() - captionWindow->width() : 0;
}

int CQuickTime::BorderHeight() const
{
    return captionWindow ? captionWindow->frameGeometry().height() - captionWindow->height() - CaptionHeight() : 0;
}

int CQuickTime::CaptionHeight() const
{
    if (!captionWindow || !captionWindow->isWindow() || (captionWindow->windowFlags() & Qt::FramelessWindowHint))
        return 0;
    return captionWindow->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, captionWindow);
}

EngineRect CQuickTime::DesktopBounds() const
{
    QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect g = screen->geometry();
    return EngineRect{0, 0, std::int16_t(std::min(g.height(), 32767)), std::int16_t(std::min(g.width(), 32767))};
}
