#include "controls/Skin.h"

// Outside any namespace: Q_INIT_RESOURCE declares the resource's initialiser.
static void InitSkinResources() { Q_INIT_RESOURCE(vindrel); }

QString SkinPath(int number)
{
    static const bool initialised = [] {
        InitSkinResources();
        return true;
    }();
    (void)initialised;
    return QStringLiteral(":/bitmaps/%1.png").arg(number);
}

QImage LoadSkinImage(int number, QSize size)
{
    QImage image(SkinPath(number));
    if (image.isNull())
        return image;
    image = image.convertToFormat(QImage::Format_RGB32);
    if (size.isValid() && !size.isEmpty() && size != image.size())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}
