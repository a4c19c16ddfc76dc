// The program's two image lists: imgObjects16, 28 pictures
// of 16 x 16, and imgObjects32, 10 pictures of 32 x 32 (the large forms of
// pictures 0 to 9). The pictures are drawn by the program (UPictures); no
// icon theme is used. The lists are built on first use and need a
// QGuiApplication.
#pragma once

#include "TObjectImage.h"

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

class TImageList {
 public:
  // Draws `count` pictures (indices 0 .. count-1) at the given square size.
  TImageList(int imageSize, int count);

  int Count() const { return FPixmaps.size(); }
  QSize ImageSize() const { return FImageSize; }
  // A null pixmap or icon for an index outside 0 .. Count()-1.
  QPixmap Pixmap(int index) const;
  // The picture at the list's size, plus a rendering at twice that size for
  // views that show larger icons.
  QIcon Icon(int index) const;

 private:
  QSize FImageSize;
  QList<QPixmap> FPixmaps;
  QList<QIcon> FIcons;
};

const TImageList &imgObjects16();
const TImageList &imgObjects32();
