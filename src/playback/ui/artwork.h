// The application's picture, drawn rather than loaded: an open music box
// with its pinned cylinder and comb. Used by the splash, the about box and
// the window icon.
#pragma once

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRectF>

namespace poronka::ui {

// Draws the music box so that it fills `area`.
void DrawMusicBox(QPainter& p, const QRectF& area);
// The splash picture (515 x 296).
QPixmap SplashPicture();
// A square picture of the music box of `size` pixels.
QPixmap MusicBoxPicture(int size);
QIcon AppIcon();

}  // namespace poronka::ui
