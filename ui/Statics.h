#pragma once
// The static controls' share of the skin: the two fonts of the readouts and the pictures shown on
// statics.

#include <QFont>
#include <QLabel>

/// Shows picture `number` scaled to width x height, centred, on a static control; a picture
/// that cannot be loaded leaves the control without one.
void ShowPicture(QLabel& label, int number, int width, int height);

/// The fonts of the readouts (10 points, 13 pixels) and of the time and file name (9 points,
/// 12 pixels), made once for the process.
const QFont& ReadoutFont();
const QFont& TimeFont();
