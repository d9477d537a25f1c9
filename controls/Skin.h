#pragma once
// The skin's pictures, compiled into the program as ":/bitmaps/N.png".

#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

/// The resource path of picture `number` (":/bitmaps/N.png"), usable with any Qt image or icon
/// class; the skin's resources are registered on the first call.
QString SkinPath(int number);

/// Picture `number` as 32-bit RGB, stretched to `size` when a size is given (as pictures are loaded
/// at the size they are shown at). A null image when the skin has no such picture. The icon (128)
/// has an alpha channel; load it through SkinPath() to keep it.
QImage LoadSkinImage(int number, QSize size = {});

/// The skin's red: the x curve of the G-sensor graph, the error lines of the status pages, and
/// the event marks.
inline constexpr QRgb kSkinRed = 0xFFFF0000;
