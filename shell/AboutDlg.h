#pragma once
// CAboutDlg: the about box the title strip's menu opens. A small modal dialog with the icon, the
// program's name and version, a one-line notice and an OK button; OK and Esc close it.

#include <QDialog>
#include <QRect>

class QLabel;
class QPushButton;

/// The about box's geometry, in pixels: the dialog units of its template converted with the
/// fixed base units of its 9-point (12-pixel) font, so it never scales with the display.
struct AboutBoxGeometry {
    static constexpr int kBaseUnitX = 7;   ///< average character width of the font, pixels
    static constexpr int kBaseUnitY = 15;  ///< character height of the font, pixels
    /// x and width: du * 7 / 4; y and height: du * 15 / 8, rounded to the nearest pixel.
    static QRect FromDialogUnits(int x, int y, int width, int height);
    static QRect Client() { return FromDialogUnits(0, 0, 170, 62); }
    static QRect Icon() { return FromDialogUnits(14, 14, 20, 20); }
    static QRect Version() { return FromDialogUnits(42, 14, 114, 8); }
    static QRect Notice() { return FromDialogUnits(42, 26, 114, 8); }
    static QRect OkButton() { return FromDialogUnits(113, 41, 50, 14); }
};

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    /// "关于 Vindrel"
    static QString Caption();
    /// "Vindrel，1.1 版"
    static QString VersionText();
    static QString NoticeText();

    QLabel* iconLabel() const { return icon_; }
    QLabel* versionLabel() const { return version_; }
    QLabel* noticeLabel() const { return notice_; }
    QPushButton* okButton() const { return ok_; }

private:
    QLabel* icon_;
    QLabel* version_;
    QLabel* notice_;
    QPushButton* ok_;
};
