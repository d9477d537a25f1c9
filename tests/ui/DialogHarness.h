#pragma once
// A player window for the tests: page files and screenshots in a folder of its own, the real
// media engine with its messages recorded instead of shown, and a folder browser that answers
// what the test says.

#include "map/MapPages.h"
#include "playback/EngineStartup.h"
#include "ui/VindrelDlg.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

/// Records the engine start-up's messages; never ends the process.
class RecordingStartupUi : public EngineStartupUi {
public:
    Answer ShowMessage(const QString& text, bool) override
    {
        messages << text;
        return Answer::No;
    }
    void OpenFile(const QString&) override {}
    void EndProcess(int status) override { endStatus = status; }

    QStringList messages;
    int endStatus = -1;
};

struct DialogHarness {
    QTemporaryDir dir;
    RecordingStartupUi engineUi;
    DialogServices services;
    std::unique_ptr<CVindrelDlg> dlg;
    QString folderAnswer;  ///< what the folder browser returns
    int pageWrites = 0;
    QString pageFailure;        ///< the message of a failed page write
    bool networkAnswer = true;  ///< what every network check says
    int networkChecks = 0;
    std::vector<int> waits;  ///< the pauses after failed network checks
    int pageFailureStatus = -1;

    explicit DialogHarness(const QStringList& commandLine = {})
    {
        services.folders = AppFoldersUnder(dir.path());
        services.startMediaEngine = [this] { return StartMediaEngine(engineUi); };
        services.writeMapPages = [this](const AppFolders& folders) {
            ++pageWrites;
            return WriteMapPages(folders, [this](const QString& message, int status) {
                pageFailure = message;
                pageFailureStatus = status;
            });
        };
        services.browseForFolder = [this](QWidget*) { return folderAnswer; };
        // The built-in map works offline; the tests never ask the machine's network.
        services.isNetworkAlive = [this] {
            ++networkChecks;
            return networkAnswer;
        };
        services.waitMs = [this](int milliseconds) { waits.push_back(milliseconds); };
        services.commandLine = commandLine;
    }

    /// Makes the window and shows it, which initialises it.
    CVindrelDlg& Start()
    {
        dlg = std::make_unique<CVindrelDlg>(services);
        dlg->show();
        if (dlg->Initialized()) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        }
        return *dlg;
    }
};

/// Waits until pred() holds, running the event loop; false after timeoutMs.
template <typename Pred>
bool WaitUntil(Pred pred, int timeoutMs = 5000)
{
    return QTest::qWaitFor(pred, timeoutMs);
}

/// The geometry of a widget as x, y, width, height, for readable failures.
inline std::string Rect(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}
inline std::string Rect(int x, int y, int w, int h) { return Rect(QRect(x, y, w, h)); }
