#include "TImageList.h"

#include "UPictures.h"

#include <QGuiApplication>

TImageList::TImageList(int imageSize, int count) : FImageSize(imageSize, imageSize) {
  Q_ASSERT(qGuiApp != nullptr);
  FPixmaps.reserve(count);
  FIcons.reserve(count);
  for (int i = 0; i < count; ++i) {
    const QPixmap pm = UPictures::RenderObjectPicture(i, imageSize);
    QIcon icon(pm);
    icon.addPixmap(UPictures::RenderObjectPicture(i, imageSize * 2));
    FPixmaps.append(pm);
    FIcons.append(icon);
  }
}

QPixmap TImageList::Pixmap(int index) const {
  if (index < 0 || index >= FPixmaps.size()) return QPixmap();
  return FPixmaps.at(index);
}

QIcon TImageList::Icon(int index) const {
  if (index < 0 || index >= FIcons.size()) return QIcon();
  return FIcons.at(index);
}

const TImageList &imgObjects16() {
  static const TImageList list(16, UPictures::kObjectPictureCount);
  return list;
}

const TImageList &imgObjects32() {
  // The large forms of the pictures up to the saved query's.
  static const TImageList list(32, oiQuery + 1);
  return list;
}
