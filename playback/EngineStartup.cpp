#include "playback/EngineStartup.h"

#include "playback/RealEngine.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <cstdlib>
#include <mutex>

namespace {
// The engine library's start within the process: one lock, the count of starts, and the library
// once located.
struct StartState {
    std::mutex lock;
    int starts = 0;
    std::shared_ptr<MpvLibrary> located;
    std::string locatedName;
};
StartState& State()
{
    static StartState state;
    return state;
}
}  // namespace

EngineStartupUi::Answer QtEngineStartupUi::ShowMessage(const QString& text, bool yesNo)
{
    if (yesNo) {
        return QMessageBox::question(nullptr, QString(), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
                   ? Answer::Yes
                   : Answer::No;
    }
    QMessageBox::information(nullptr, QString(), text, QMessageBox::Ok);
    return Answer::Ok;
}

void QtEngineStartupUi::OpenFile(const QString& absolutePath)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(absolutePath));
}

void QtEngineStartupUi::EndProcess(int status) { std::exit(status); }

bool LocateEngineLibrary(const std::string& libraryName)
{
    StartState& state = State();
    std::lock_guard guard(state.lock);
    if (state.starts > 0 || (state.located && state.locatedName == libraryName))
        return true;
    MpvLibrary::Status status;
    auto library = MpvLibrary::Load(libraryName, &status);
    // A library that loads but lacks a function is still found here; the start reports it.
    if (status == MpvLibrary::Status::LibraryMissing)
        return false;
    state.located = std::move(library);
    state.locatedName = libraryName;
    return true;
}

OSErr StartEngineLibrary(long flags, const std::string& libraryName)
{
    StartState& state = State();
    std::lock_guard guard(state.lock);
    if (state.starts > 0) {
        ++state.starts;
        return noErr;
    }
    std::shared_ptr<MpvLibrary> library;
    if (state.located && state.locatedName == libraryName)
        library = std::move(state.located);
    state.located.reset();
    OSErr result = noErr;
    if (!library) {
        MpvLibrary::Status status;
        library = MpvLibrary::Load(libraryName, &status);
        if (status == MpvLibrary::Status::LibraryMissing)
            result = kEngineLibraryMissing;
        else if (status == MpvLibrary::Status::FunctionMissing)
            result = kEngineFunctionMissing;
    }
    if (result == noErr && library) {
        auto engine = MakeRealEngine(library);
        result = engine->InitializeQTML(flags);
        if (result == noErr) {
            InstallEngine(std::move(engine));
            ++state.starts;
            return noErr;
        }
    }
    if (result == noErr)
        result = kEngineFunctionMissing;
    // Every operation now answers like the engine that did not start.
    InstallEngine(std::make_unique<EngineBackend>(kEngineNotStarted));
    return result;
}

int EngineStartCount()
{
    StartState& state = State();
    std::lock_guard guard(state.lock);
    return state.starts;
}

bool StartMediaEngine(EngineStartupUi& ui, const std::string& libraryName)
{
    if (LocateEngineLibrary(libraryName)) {
        if (StartEngineLibrary(0, libraryName) != noErr) {
            ui.ShowMessage(QStringLiteral("InitializeQTML False!"), false);
            ui.EndProcess(1);
            return false;
        }
    } else {
        if (ui.ShowMessage(QStringLiteral("Please Install Quicktime First!\nInstall now!"), true) ==
            EngineStartupUi::Answer::Yes) {
            const QFileInfo installer(QDir::current(), QString::fromLatin1(kEngineInstallerName));
            if (installer.isFile())
                ui.OpenFile(installer.absoluteFilePath());
        }
        ui.EndProcess(1);
        return false;
    }
    if (EnterMovies() != noErr) {
        ui.ShowMessage(QStringLiteral("EnterMovies False!"), false);
        ui.EndProcess(1);
        return false;
    }
    return true;
}
