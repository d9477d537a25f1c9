// Pictures of the whole window, at start and maximised, for a person to look at. Written to
// screenshots/ in the build folder; the test checks only that they show the window's skin.

#include "DialogHarness.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

namespace {

QString ScreenshotFolder()
{
    const QString folder = QStringLiteral(VINDREL_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    return folder;
}

// The window as the display shows it: the widgets with the browser's picture.
QImage Picture(CVindrelDlg& dlg)
{
    QTest::qWait(500);  // the browser's picture arrives a moment after its page
    return dlg.grab().toImage();
}

}  // namespace

TEST(Screenshot, WindowAtStartAndMaximised)
{
    DialogHarness h;
    CVindrelDlg& dlg = h.Start();
    ASSERT_TRUE(WaitUntil([&] { return dlg.mapView.IsSilent(); }, 20000));  // start page loaded

    const QImage start = Picture(dlg);
    EXPECT_EQ(start.size(), QSize(1160, 678));
    // The title strip is the skin's picture, not the black background.
    EXPECT_NE(start.pixelColor(600, 20), QColor(Qt::black));
    EXPECT_TRUE(start.save(ScreenshotFolder() + QStringLiteral("/window-start.png")));

    QTest::mouseClick(&dlg.maximizeButton, Qt::LeftButton);
    const QSize screen = dlg.ScreenRect().size();
    ASSERT_TRUE(WaitUntil([&] { return dlg.size() == screen && !dlg.layoutSuspended; }));
    const QImage maximised = Picture(dlg);
    EXPECT_EQ(maximised.size(), screen);
    EXPECT_TRUE(maximised.save(ScreenshotFolder() + QStringLiteral("/window-maximised.png")));
}
