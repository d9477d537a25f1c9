#pragma once
// The embedded browser: navigates to local page files, reports page loads, runs script texts in
// the loaded page and, once silent, keeps the page's own dialogs and console to itself.

#include <QWebEnginePage>
#include <QWebEngineView>

class QWebEngineProfile;

/// A page whose alert, confirm and prompt dialogs and console output are swallowed once silent.
class CMapPage : public QWebEnginePage {
    Q_OBJECT
public:
    CMapPage(QWebEngineProfile* profile, QObject* parent);

    void SetSilent(bool on) { silent = on; }
    bool IsSilent() const { return silent; }

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;

signals:
    /// A console line of the page's own that begins with "vindrel:": the page reporting to the
    /// player. Such lines are never shown, silent or not.
    void pageMessage(const QString& message);

private:
    bool silent = false;
};

/// The browser control. Its profile carries the built-in map provider.
class CExplorer1 : public QWebEngineView {
    Q_OBJECT
public:
    /// profile null: the default profile.
    explicit CExplorer1(QWidget* parent = nullptr, QWebEngineProfile* profile = nullptr);
    ~CExplorer1() override;

    /// Loads the page file at this full path.
    void Navigate(const QString& path);
    /// Swallows the page's dialogs and console from now on.
    void SetSilent(bool on);
    bool IsSilent() const;
    /// Runs the text as script in the loaded page; no result. Calls run in the order made.
    void ExecScript(const QString& script);

signals:
    /// The page reported something to the player (see CMapPage::pageMessage).
    void pageMessage(const QString& message);

private:
    CMapPage* mapPage;  // owned as a child of this view
};
