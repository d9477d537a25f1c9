#pragma once
// Start-up of the media engine, run by the main dialog's initialisation before it makes the
// video view. A failure asks or tells the user and ends the process with status 1.

#include "engine/Engine.h"
#include "playback/MpvLibrary.h"

#include <QString>

#include <string>

/// The messages, the installer and the end of the process, behind one seam so that tests can
/// watch them.
class EngineStartupUi {
public:
    enum class Answer { Ok, Yes, No };
    virtual ~EngineStartupUi() = default;
    /// Shows a message box: with OK only, or with Yes and No when `yesNo` is true.
    virtual Answer ShowMessage(const QString& text, bool yesNo) = 0;
    /// Opens a file the way the desktop opens it (the installer).
    virtual void OpenFile(const QString& absolutePath) = 0;
    /// Ends the process with this status. Does not return in the real program.
    virtual void EndProcess(int status) = 0;
};

/// Message boxes, the desktop's file opener and exit().
class QtEngineStartupUi : public EngineStartupUi {
public:
    Answer ShowMessage(const QString& text, bool yesNo) override;
    void OpenFile(const QString& absolutePath) override;
    void EndProcess(int status) override;
};

/// The installer the install question offers, in the current directory.
inline constexpr const char* kEngineInstallerName = "QuickTimeInstaller7.75.exe";

/// Locates the engine library (on this platform that stands for copying the engine's support
/// library): true when it can be loaded. Nothing is copied or deleted anywhere.
bool LocateEngineLibrary(const std::string& libraryName = kMpvLibraryName);

/// Loads the engine library, looks up its functions and starts it with `InitializeQTML`; on 0
/// the real engine is installed. A start after a successful one in the same process only counts
/// and returns 0. On failure the substitute is installed and the result tells why: -2093 the
/// library cannot be loaded, -2094 a function is missing, else InitializeQTML's own code.
OSErr StartEngineLibrary(long flags, const std::string& libraryName = kMpvLibraryName);

/// How many times the engine library was started in this process.
int EngineStartCount();

/// The whole start-up: locate the library (else the install question), start it (else
/// "InitializeQTML False!"), EnterMovies (else "EnterMovies False!"). True when the engine
/// runs; false after the ui was asked to end the process with status 1.
bool StartMediaEngine(EngineStartupUi& ui, const std::string& libraryName = kMpvLibraryName);
