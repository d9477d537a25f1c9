#include "shell/AboutDlg.h"

#include "controls/Skin.h"
#include "version/Version.h"

#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <cmath>

namespace {

// Icon resource 128, drawn at the platform's icon size.
constexpr int kAppIcon = 128;
constexpr int kIconSize = 32;

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

QRect AboutBoxGeometry::FromDialogUnits(int x, int y, int width, int height)
{
    return QRect(Round(x * kBaseUnitX / 4.0), Round(y * kBaseUnitY / 8.0), Round(width * kBaseUnitX / 4.0),
                 Round(height * kBaseUnitY / 8.0));
}

QString CAboutDlg::Caption() { return QStringLiteral("关于 Vindrel"); }
QString CAboutDlg::VersionText() { return QStringLiteral("Vindrel，" VINDREL_VERSION " 版"); }
QString CAboutDlg::NoticeText() { return QStringLiteral("行车记录与 GPS 轨迹播放器"); }

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      icon_(new QLabel(this)),
      version_(new QLabel(VersionText(), this)),
      notice_(new QLabel(NoticeText(), this)),
      ok_(new QPushButton(QStringLiteral("确定"), this))
{
    setWindowTitle(Caption());
    QFont font = this->font();
    font.setPixelSize(12);  // 9 points at 96 pixels per inch
    setFont(font);
    setFixedSize(AboutBoxGeometry::Client().size());

    icon_->setGeometry(AboutBoxGeometry::Icon());
    icon_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QImage icon = LoadSkinImage(kAppIcon, QSize(kIconSize, kIconSize));
    if (!icon.isNull()) {
        icon_->setPixmap(QPixmap::fromImage(icon));
    }

    version_->setGeometry(AboutBoxGeometry::Version());
    version_->setTextFormat(Qt::PlainText);  // no mnemonic or markup in the text
    notice_->setGeometry(AboutBoxGeometry::Notice().adjusted(0, 0, 40, 0));
    notice_->setTextFormat(Qt::PlainText);

    ok_->setGeometry(AboutBoxGeometry::OkButton());
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    ok_->setFocus();
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    // Esc ends the dialog through QDialog's own key handling (reject).
}
