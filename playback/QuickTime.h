#pragma once
// CQuickTime: the wrapper around one movie of the media engine and the controller that runs it,
// bound to the window the engine draws into (the video view). It opens movie files into that
// window, hands the window's messages to the controller and keeps the owning window's caption
// in step with the file name.

#include "engine/Engine.h"

#include <cstdint>
#include <string>

class QWidget;

class CQuickTime {
public:
    CQuickTime();
    CQuickTime(const CQuickTime&) = delete;
    CQuickTime& operator=(const CQuickTime&) = delete;

    // The virtual operations, in their slot order.

    /// Opens a movie file (a narrow path in the locale's encoding) into the window, after
    /// releasing the movie and controller this wrapper made before. 1 on success, 0 otherwise.
    virtual int OpenMovie(const char* path);  // 0
    /// Releases the controller and movie, shrinks the window to 320 × 1 and clears the caption.
    virtual void CloseMovie();  // 1
    /// CloseMovie, then an empty movie captioned "Untitled".
    virtual void CreateEmptyMovie();  // 2
    virtual void Reserved3() {}       // 3
    /// Hands one message of `window` to the controller.
    virtual void HandleWindowMessage(QWidget* window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);  // 4
    /// Binds the wrapper to the window (its parent receives the caption); returns 0.
    virtual int AttachWindow(QWidget* window);  // 5
    /// CloseMovie, then unbinds the window from the engine.
    virtual void DetachWindow();  // 6
    /// Makes and configures the controller for the movie.
    virtual void SetUpController(Movie movie);  // 7
    virtual void Reserved8() {}                 // 8
    virtual void Reserved9() {}                 // 9
    virtual void Reserved10() {}                // 10
    virtual void Reserved11() {}                // 11
    virtual void Reserved12() {}                // 12
    virtual void Reserved13() {}                // 13
    /// Sets the caption window's title: prefix, " - ", file name part.
    virtual void UpdateCaption();  // 14
    /// The part of `path` after its last '/'; all of it when there is none.
    virtual std::string FileNamePart() const;   // 15
    virtual std::string CaptionPrefix() const;  // 16
    /// In place: a length byte, then the characters (at most 255).
    virtual void ToLengthPrefixed(char* text) const;  // 17
    /// In place: back to a zero-terminated string.
    virtual void FromLengthPrefixed(char* text) const;  // 18
    /// Outer width minus client width of the caption window.
    virtual int BorderWidth() const;  // 19
    /// Outer height minus client height of the caption window, minus the caption height.
    virtual int BorderHeight() const;  // 20
    /// The caption height when the caption window has a title bar, else 0.
    virtual int CaptionHeight() const;  // 21
    /// The screen's rectangle moved to 0, 0.
    virtual EngineRect DesktopBounds() const;         // 22
    virtual Movie GetMovie() const { return movie; }  // 23

    /// Releases what this wrapper made and still holds.
    virtual ~CQuickTime();

    char captionPrefix[128] = {};
    Movie movie = nullptr;
    MovieController controller = nullptr;
    std::int16_t pictureWidth = 0;
    std::int16_t pictureHeight = 0;
    EngineRect naturalBox;
    std::int32_t isOpen = 0;
    EngineRect controllerBox;
    char path[256] = {};
    QWidget* captionWindow = nullptr;
    QWidget* window = nullptr;
    /// Why the last OpenMovie failed: the engine's error and its reason in words (empty when
    /// the engine gave none); noErr and empty after one that succeeded.
    OSErr lastError = noErr;
    std::string lastErrorText;

private:
    /// Disposes the controller and movie this wrapper made, whether or not `movie` and
    /// `controller` still name them (Stop forgets the movie without releasing it).
    void ReleaseHeld();
    /// A movie this wrapper made but nobody holds any more is released at once.
    void ReleaseForgotten();

    Movie madeMovie_ = nullptr;
    MovieController madeController_ = nullptr;
    std::int16_t cursorX_ = 0;  // where the cursor was at the last input message
    std::int16_t cursorY_ = 0;
};
