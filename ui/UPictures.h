// UPictures: the program's own art, drawn with QPainter (no icon theme is
// relied on): the pictures of the object image lists and the four pictures
// of the message dialog.
#pragma once

#include "TObjectImage.h"

#include <QPixmap>
#include <QSize>

class QPainter;

namespace UPictures {

// Number of object pictures (indices oiRoot to oiForum of imgObjects16).
constexpr int kObjectPictureCount = oiForum + 1;

// Paints object picture `index` (a TObjectImage) into the square (0,0)-(size,size)
// of the painter's current coordinate system. Unknown indices paint nothing.
void PaintObjectPicture(QPainter &painter, int index, int size);

// Renders object picture `index` as a transparent pixmap of size x size
// device-independent pixels, at the application's device pixel ratio.
QPixmap RenderObjectPicture(int index, int size);

// The message dialog's pictures.
enum class TMessagePicture { Warning, Error, Information, Confirmation };

// Renders a message picture of the given device-independent size
// (the dialog uses 32 x 32, the error picture 32 x 33).
QPixmap RenderMessagePicture(TMessagePicture picture, QSize size);

}  // namespace UPictures
