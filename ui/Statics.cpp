#include "ui/Statics.h"

#include "controls/Skin.h"

#include <QImage>
#include <QPixmap>

const QFont& ReadoutFont()
{
    static const QFont font = [] {
        QFont f;             // the platform's default face
        f.setPixelSize(13);  // 10 points at 96 pixels per inch
        return f;
    }();
    return font;
}

const QFont& TimeFont()
{
    static const QFont font = [] {
        QFont f;
        f.setPixelSize(12);  // 9 points
        return f;
    }();
    return font;
}

void ShowPicture(QLabel& label, int number, int width, int height)
{
    label.setAlignment(Qt::AlignCenter);
    const QImage picture = width > 0 && height > 0 ? LoadSkinImage(number, QSize(width, height)) : QImage();
    label.setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}
