// The program's image lists: imgObjects16 with 28 pictures
// of 16 x 16, imgObjects32 with the large forms of pictures 0 to 9.
#include "TImageList.h"

#include <QtTest>

namespace {

int OpaquePixels(const QImage &image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 128) ++n;
  return n;
}

QImage Plain(const QPixmap &pm, QSize size) {
  QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
  if (img.size() != size) img = img.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return img;
}

// Mean difference of two same-sized images, colour weighted by opacity.
double Distance(const QImage &a, const QImage &b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += qAbs(qAlpha(p) - qAlpha(q)) + qAbs(qRed(p) * qAlpha(p) - qRed(q) * qAlpha(q)) / 255.0 +
             qAbs(qGreen(p) * qAlpha(p) - qGreen(q) * qAlpha(q)) / 255.0 +
             qAbs(qBlue(p) * qAlpha(p) - qBlue(q) * qAlpha(q)) / 255.0;
    }
  return sum / (a.width() * a.height());
}

}  // namespace

class TestImageList : public QObject {
  Q_OBJECT

 private slots:
  void lists_data();
  void lists();
  void pictures_data();
  void pictures();
  void allSmallPicturesDiffer();
  void largeFormsOfTheFirstTen();
  void outOfRange();
};

void TestImageList::lists_data() {
  QTest::addColumn<bool>("large");
  QTest::addColumn<int>("count");
  QTest::addColumn<QSize>("size");
  QTest::newRow("imgObjects16") << false << 28 << QSize(16, 16);
  QTest::newRow("imgObjects32") << true << 10 << QSize(32, 32);
}

void TestImageList::lists() {
  QFETCH(bool, large);
  const TImageList &list = large ? imgObjects32() : imgObjects16();
  QTEST(list.Count(), "count");
  QTEST(list.ImageSize(), "size");
}

void TestImageList::pictures_data() {
  QTest::addColumn<bool>("large");
  QTest::addColumn<int>("index");
  for (int i = 0; i < 28; ++i) QTest::addRow("16/%d", i) << false << i;
  for (int i = 0; i < 10; ++i) QTest::addRow("32/%d", i) << true << i;
}

void TestImageList::pictures() {
  QFETCH(bool, large);
  QFETCH(int, index);
  const TImageList &list = large ? imgObjects32() : imgObjects16();
  const QPixmap pm = list.Pixmap(index);
  QVERIFY(!pm.isNull());
  QCOMPARE(pm.deviceIndependentSize().toSize(), list.ImageSize());
  // A picture on a transparent ground: neither empty nor a filled square.
  const QImage img = Plain(pm, list.ImageSize());
  const int area = img.width() * img.height();
  const int opaque = OpaquePixels(img);
  QVERIFY2(opaque >= area / 8, qPrintable(QStringLiteral("only %1 opaque pixels").arg(opaque)));
  QVERIFY2(opaque < area, "no transparent pixel");
  const QIcon icon = list.Icon(index);
  QVERIFY(!icon.isNull());
  QVERIFY(icon.availableSizes().contains(list.ImageSize()));
}

void TestImageList::allSmallPicturesDiffer() {
  const TImageList &list = imgObjects16();
  for (int i = 0; i < list.Count(); ++i)
    for (int j = i + 1; j < list.Count(); ++j)
      QVERIFY2(Distance(Plain(list.Pixmap(i), QSize(16, 16)), Plain(list.Pixmap(j), QSize(16, 16))) > 4,
               qPrintable(QStringLiteral("pictures %1 and %2 look alike").arg(i).arg(j)));
}

// Each large picture, brought down to 16 pixels, is nearer to the small
// picture of the same index than to any other of 0 to 9.
void TestImageList::largeFormsOfTheFirstTen() {
  const TImageList &small = imgObjects16();
  const TImageList &large = imgObjects32();
  for (int i = 0; i < large.Count(); ++i) {
    const QImage reduced = Plain(large.Pixmap(i), QSize(16, 16));
    const double own = Distance(reduced, Plain(small.Pixmap(i), QSize(16, 16)));
    for (int j = 0; j < large.Count(); ++j) {
      if (j == i) continue;
      const double other = Distance(reduced, Plain(small.Pixmap(j), QSize(16, 16)));
      QVERIFY2(own < other, qPrintable(QStringLiteral("large %1 looks more like small %2").arg(i).arg(j)));
    }
  }
}

void TestImageList::outOfRange() {
  QVERIFY(imgObjects16().Pixmap(-1).isNull());
  QVERIFY(imgObjects16().Pixmap(28).isNull());
  QVERIFY(imgObjects32().Pixmap(10).isNull());
  QVERIFY(imgObjects32().Icon(10).isNull());
}

QTEST_MAIN(TestImageList)
#include "TestImageList.moc"
