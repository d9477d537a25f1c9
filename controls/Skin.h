#pragma once
// The skin's pictures, compiled into the program as ":/bitmaps/N.png".

#include <QImage>
#include <QSize>
#include <QString>

/// The resource path of picture `number`.
QString SkinPath(int number);

/// Picture `number`, stretched to `size` when a size is given (as pictures are loaded at the size
/// they are shown at). A null image when the skin has no such picture.
QImage LoadSkinImage(int number, QSize size = {});
