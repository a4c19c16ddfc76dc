#include "UPictures.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>

namespace UPictures {
namespace {

// Every object picture is designed on a 16 x 16 grid; the painter is scaled
// to the wanted size. Outlines are one grid unit at 16 pixels and a little
// thinner (in grid units) on larger pictures.
struct TArt {
  QPainter &p;
  qreal lw;     // outline width in grid units
  bool large;   // 24 pixels and more: room for details (text, dots)
};

// Palette: one flat family for all pictures.
const QColor kInk(0x2B, 0x3A, 0x4A);
const QColor kDbBase(0x3F, 0x7F, 0xC8);
const QColor kDbBack(0x8A, 0x9B, 0xB0);
const QColor kDbLine(0x1D, 0x48, 0x7A);
const QColor kFolderFront(0xF7, 0xC8, 0x4F);
const QColor kFolderBack(0xDE, 0xA2, 0x2C);
const QColor kFolderLine(0x9A, 0x68, 0x0E);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kPaperShade(0xE4, 0xEA, 0xF1);
const QColor kPaperLine(0x5E, 0x6E, 0x80);
const QColor kGridHeader(0x3C, 0x78, 0xC3);
const QColor kGridLine(0x86, 0xA2, 0xC4);
const QColor kGridFrame(0x2B, 0x5D, 0x9A);
const QColor kGreen(0x2E, 0xA0, 0x43);
const QColor kGreenDark(0x1B, 0x6B, 0x2A);
const QColor kRed(0xDD, 0x3B, 0x30);
const QColor kRedDark(0x8E, 0x1B, 0x14);
const QColor kBlue(0x2F, 0x7B, 0xD6);
const QColor kBlueDark(0x17, 0x4A, 0x8C);
const QColor kOrange(0xF2, 0x9A, 0x2E);
const QColor kGold(0xF1, 0xB8, 0x2D);
const QColor kGoldDark(0x8C, 0x62, 0x0A);

QPen Pen(const QColor &c, qreal w) {
  QPen pen(c, w);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

QLinearGradient Vertical(const QRectF &r, const QColor &top, const QColor &bottom) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  return g;
}

// ---------------------------------------------------------------- shapes

void Cylinder(TArt &a, const QRectF &r, const QColor &base) {
  const qreal eh = r.width() * 0.4;
  const QColor line = base.darker(190);
  QPainterPath body;
  body.moveTo(r.left(), r.top() + eh / 2);
  body.lineTo(r.left(), r.bottom() - eh / 2);
  body.arcTo(QRectF(r.left(), r.bottom() - eh, r.width(), eh), 180, 180);
  body.lineTo(r.right(), r.top() + eh / 2);
  body.arcTo(QRectF(r.left(), r.top(), r.width(), eh), 0, 180);
  body.closeSubpath();
  QLinearGradient g(r.left(), 0, r.right(), 0);
  g.setColorAt(0, base);
  g.setColorAt(0.3, base.lighter(135));
  g.setColorAt(1, base.darker(125));
  a.p.setPen(Pen(line, a.lw));
  a.p.setBrush(g);
  a.p.drawPath(body);
  // Disk seams.
  a.p.setBrush(Qt::NoBrush);
  a.p.setPen(Pen(line, a.lw * 0.8));
  const qreal span = r.height() - eh;
  for (int i = 1; i <= 2; ++i) {
    const qreal y = r.top() + span * i / 3.0;
    QPainterPath seam;
    seam.arcMoveTo(QRectF(r.left(), y, r.width(), eh), 180);
    seam.arcTo(QRectF(r.left(), y, r.width(), eh), 180, 180);
    a.p.drawPath(seam);
  }
  // Lid.
  a.p.setPen(Pen(line, a.lw));
  a.p.setBrush(base.lighter(165));
  a.p.drawEllipse(QRectF(r.left(), r.top(), r.width(), eh));
}

QPainterPath FolderBackPath(const QRectF &r) {
  const qreal tw = r.width() * 0.42, th = r.height() * 0.18;
  QPainterPath back;
  back.moveTo(r.left(), r.bottom());
  back.lineTo(r.left(), r.top());
  back.lineTo(r.left() + tw - th, r.top());
  back.lineTo(r.left() + tw, r.top() + th);
  back.lineTo(r.right(), r.top() + th);
  back.lineTo(r.right(), r.bottom());
  back.closeSubpath();
  return back;
}

void Folder(TArt &a, const QRectF &r, bool open) {
  const qreal th = r.height() * 0.18;
  a.p.setPen(Pen(kFolderLine, a.lw));
  a.p.setBrush(kFolderBack);
  a.p.drawPath(FolderBackPath(r));
  if (open) {
    // A sheet of paper sticking out, then the front flap tilted forward.
    a.p.setBrush(kPaper);
    a.p.setPen(Pen(kPaperLine, a.lw * 0.8));
    a.p.drawRect(QRectF(r.left() + 2, r.top() + th + 1, r.width() - 4, r.height() - th - 2));
    const qreal top = r.top() + th + r.height() * 0.28;
    QPolygonF front;
    front << QPointF(r.left() + r.width() * 0.2, top) << QPointF(r.right() + 0.01, top)
          << QPointF(r.right() - r.width() * 0.2, r.bottom()) << QPointF(r.left(), r.bottom());
    a.p.setPen(Pen(kFolderLine, a.lw));
    a.p.setBrush(Vertical(front.boundingRect(), kFolderFront.lighter(110), kFolderFront));
    a.p.drawPolygon(front);
  } else {
    const QRectF front(r.left(), r.top() + th * 2, r.width(), r.height() - th * 2);
    a.p.setBrush(Vertical(front, kFolderFront.lighter(112), kFolderFront));
    a.p.drawRect(front);
  }
}

// A grid of `cols` x `rows` cells under a header band; every coordinate is
// on a half unit so that the 16-pixel form stays crisp.
void Grid(TArt &a, const QRectF &r, const QColor &header, int cols, int rows, int hiCol = -1,
          int hiRow = -1, const QColor &hi = kOrange) {
  const qreal hh = r.height() / (rows + 1);
  const qreal cw = r.width() / cols;
  a.p.setPen(Qt::NoPen);
  a.p.setBrush(kPaper);
  a.p.drawRect(r);
  a.p.setBrush(header);
  a.p.drawRect(QRectF(r.left(), r.top(), r.width(), hh));
  if (hiRow >= 0) {
    a.p.setBrush(hi.lighter(150));
    a.p.drawRect(QRectF(r.left(), r.top() + hh * (hiRow + 1), r.width(), hh));
  }
  if (hiCol >= 0) {
    a.p.setBrush(hi.lighter(130));
    a.p.drawRect(QRectF(r.left() + cw * hiCol, r.top() + hh, cw, r.height() - hh));
    a.p.setBrush(hi.darker(115));
    a.p.drawRect(QRectF(r.left() + cw * hiCol, r.top(), cw, hh));
  }
  a.p.setPen(Pen(kGridLine, a.lw * 0.8));
  for (int i = 1; i < cols; ++i) {
    const qreal x = r.left() + cw * i;
    a.p.drawLine(QPointF(x, r.top() + hh), QPointF(x, r.bottom()));
  }
  for (int j = 2; j <= rows; ++j) {
    const qreal y = r.top() + hh * j;
    a.p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
  QPen frame = Pen(header.darker(140), a.lw);
  frame.setJoinStyle(Qt::MiterJoin);
  a.p.setPen(frame);
  a.p.setBrush(Qt::NoBrush);
  a.p.drawRect(r);
  a.p.drawLine(QPointF(r.left(), r.top() + hh), QPointF(r.right(), r.top() + hh));
}

void Document(TArt &a, const QRectF &r) {
  const qreal fold = r.width() * 0.34;
  QPainterPath page;
  page.moveTo(r.topLeft());
  page.lineTo(r.right() - fold, r.top());
  page.lineTo(r.right(), r.top() + fold);
  page.lineTo(r.bottomRight());
  page.lineTo(r.bottomLeft());
  page.closeSubpath();
  a.p.setPen(Pen(kPaperLine, a.lw));
  a.p.setBrush(Vertical(r, kPaper, kPaperShade));
  a.p.drawPath(page);
  QPolygonF ear;
  ear << QPointF(r.right() - fold, r.top()) << QPointF(r.right() - fold, r.top() + fold)
      << QPointF(r.right(), r.top() + fold);
  a.p.setBrush(kPaperShade.darker(110));
  a.p.drawPolygon(ear);
}

// The saved query: a document with coloured "SQL" lines.
void QueryDocument(TArt &a, const QRectF &r) {
  Document(a, r);
  const qreal left = r.left() + 2, right = r.right() - 2;
  const bool withText = a.large && r.width() >= 10;
  if (withText) {
    QFont f;
    f.setBold(true);
    f.setPixelSize(5);
    f.setStyleStrategy(QFont::PreferAntialias);
    QPainterPath text;
    text.addText(0, 0, f, QStringLiteral("SQL"));
    const QRectF tb = text.boundingRect();
    a.p.save();
    a.p.translate(left - tb.left(), r.top() + 1.6 - tb.top());
    a.p.setPen(Qt::NoPen);
    a.p.setBrush(kBlueDark);
    a.p.drawPath(text);
    a.p.restore();
  }
  struct Seg { qreal from, to; QColor c; };
  const qreal w = right - left;
  const qreal y0 = withText ? r.top() + 7.5 : r.top() + (r.height() >= 12 ? 4 : 3);
  const qreal step = a.large ? 2.0 : 2.5;
  const Seg lines[][2] = {
      {{0.0, 0.45, kBlue}, {0.55, 1.0, kInk}},
      {{0.15, 0.5, kInk}, {0.6, 0.85, kInk}},
      {{0.0, 0.4, kBlue}, {0.5, 0.9, kInk}},
      {{0.15, 0.55, kRed}, {0.65, 0.8, kInk}},
  };
  for (int i = 0; i < 4; ++i) {
    const qreal y = y0 + step * i;
    if (y > r.bottom() - 1.2) break;
    for (const Seg &s : lines[i]) {
      a.p.setPen(Pen(s.c, a.large ? 0.8 : 1.0));
      a.p.drawLine(QPointF(left + w * s.from, y), QPointF(left + w * s.to, y));
    }
  }
}

// Badge halo: a white rim so that an overlay stands out from the picture
// below it.
void Badge(TArt &a, const QPainterPath &path, const QColor &fill, const QColor &line) {
  a.p.setPen(Pen(Qt::white, a.lw * 2.2));
  a.p.setBrush(Qt::white);
  a.p.drawPath(path);
  a.p.setPen(Pen(line, a.lw * 0.8));
  a.p.setBrush(fill);
  a.p.drawPath(path);
}

// A round badge with a white sign (plus or cross) in the lower right corner.
void SignBadge(TArt &a, bool cross, const QColor &fill, const QColor &line) {
  const QPointF c(11.75, 11.75);
  const qreal r = 3.9;
  a.p.setPen(Qt::NoPen);
  a.p.setBrush(Qt::white);
  a.p.drawEllipse(c, r + 1.0, r + 1.0);
  QRadialGradient g(c - QPointF(r * 0.4, r * 0.5), r * 1.6);
  g.setColorAt(0, fill.lighter(135));
  g.setColorAt(1, fill);
  a.p.setPen(Pen(line, a.lw * 0.7));
  a.p.setBrush(g);
  a.p.drawEllipse(c, r, r);
  a.p.save();
  a.p.translate(c);
  if (cross) a.p.rotate(45);
  QPen sign(Qt::white, a.large ? 1.3 : 1.5);
  sign.setCapStyle(Qt::FlatCap);
  a.p.setPen(sign);
  const qreal h = r * 0.58;
  a.p.drawLine(QPointF(-h, 0), QPointF(h, 0));
  a.p.drawLine(QPointF(0, -h), QPointF(0, h));
  a.p.restore();
}

void PlusBadge(TArt &a) { SignBadge(a, false, kGreen, kGreenDark); }

void CrossBadge(TArt &a) { SignBadge(a, true, kRed, kRedDark); }

void PencilBadge(TArt &a, const QPointF &tip = QPointF(8.5, 15.5), qreal len = 9.5) {
  a.p.save();
  a.p.translate(tip);
  a.p.rotate(-45);
  // Local frame: the tip at the origin, the pencil along +x, 3 units wide.
  const qreal w = 3.0, tipLen = 2.6;
  QPainterPath outline;
  outline.moveTo(0, 0);
  outline.lineTo(tipLen, -w / 2);
  outline.lineTo(len, -w / 2);
  outline.lineTo(len, w / 2);
  outline.lineTo(tipLen, w / 2);
  outline.closeSubpath();
  a.p.setPen(Pen(Qt::white, a.lw * 2.2));
  a.p.setBrush(Qt::white);
  a.p.drawPath(outline);
  a.p.setPen(Pen(kGoldDark, a.lw * 0.7));
  a.p.setBrush(kGold);
  a.p.drawRect(QRectF(tipLen, -w / 2, len - tipLen - 2, w));
  a.p.setBrush(QColor(0xE8, 0x7F, 0x9A));  // eraser
  a.p.drawRect(QRectF(len - 2, -w / 2, 2, w));
  QPolygonF wood;
  wood << QPointF(0, 0) << QPointF(tipLen, -w / 2) << QPointF(tipLen, w / 2);
  a.p.setBrush(QColor(0xF3, 0xD9, 0xA8));
  a.p.drawPolygon(wood);
  QPolygonF lead;
  lead << QPointF(0, 0) << QPointF(tipLen * 0.4, -w * 0.2) << QPointF(tipLen * 0.4, w * 0.2);
  a.p.setPen(Qt::NoPen);
  a.p.setBrush(kInk);
  a.p.drawPolygon(lead);
  a.p.restore();
}

// Arc with an arrow head at its end; angles in degrees, counter-clockwise.
void ArcArrow(TArt &a, const QPointF &c, qreal radius, qreal start, qreal sweep, qreal width,
              const QColor &fill, const QColor &line) {
  QPainterPath arc;
  const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
  arc.arcMoveTo(box, start);
  arc.arcTo(box, start, sweep);
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::FlatCap);
  QPainterPath band = stroker.createStroke(arc);
  const qreal end = qDegreesToRadians(start + sweep);
  const QPointF radial(qCos(end), -qSin(end));
  const qreal dir = sweep >= 0 ? 1.0 : -1.0;
  const QPointF tangent(-qSin(end) * dir, -qCos(end) * dir);
  const QPointF at = c + radial * radius;
  const qreal hw = width * 1.15, hl = width * 1.4;
  QPolygonF head;
  head << at + radial * hw << at + tangent * hl << at - radial * hw;
  QPainterPath headPath;
  headPath.addPolygon(head);
  headPath.closeSubpath();
  QPainterPath all = band.united(headPath);
  a.p.setPen(Pen(line, a.lw * 0.8));
  a.p.setBrush(fill);
  a.p.drawPath(all);
}

void Disc(TArt &a, const QPointF &c, qreal radius, const QColor &base) {
  QRadialGradient g(c - QPointF(radius * 0.35, radius * 0.45), radius * 1.5);
  g.setColorAt(0, base.lighter(150));
  g.setColorAt(1, base.darker(115));
  a.p.setPen(Pen(base.darker(170), a.lw));
  a.p.setBrush(g);
  a.p.drawEllipse(c, radius, radius);
}

void InfoSign(TArt &a, const QPointF &c, qreal radius) {
  Disc(a, c, radius, kBlue);
  a.p.setPen(Qt::NoPen);
  a.p.setBrush(Qt::white);
  const qreal u = radius / 7.0;
  a.p.drawEllipse(QPointF(c.x(), c.y() - 3.6 * u), 1.15 * u, 1.15 * u);
  a.p.drawRoundedRect(QRectF(c.x() - 1.05 * u, c.y() - 1.5 * u, 2.1 * u, 6.0 * u), 0.4 * u,
                      0.4 * u);
}

void Globe(TArt &a, const QPointF &c, qreal radius) {
  Disc(a, c, radius, QColor(0x2E, 0x8B, 0xD8));
  // Land masses, clipped to the sphere.
  QPainterPath sphere;
  sphere.addEllipse(c, radius, radius);
  a.p.save();
  a.p.setClipPath(sphere);
  a.p.setPen(Qt::NoPen);
  a.p.setBrush(QColor(0x5C, 0xB8, 0x5C));
  const qreal u = radius / 7.0;
  QPainterPath land;
  land.addEllipse(QPointF(c.x() - 2.6 * u, c.y() - 2.4 * u), 3.0 * u, 2.2 * u);
  land.addEllipse(QPointF(c.x() - 1.6 * u, c.y() + 2.8 * u), 1.6 * u, 2.8 * u);
  land.addEllipse(QPointF(c.x() + 3.8 * u, c.y() - 0.6 * u), 2.4 * u, 3.2 * u);
  a.p.drawPath(land.simplified());
  a.p.restore();
  // Meridians and parallels.
  a.p.setBrush(Qt::NoBrush);
  a.p.setPen(Pen(QColor(255, 255, 255, 150), a.lw * 0.7));
  a.p.drawEllipse(c, radius * 0.45, radius);
  a.p.drawLine(QPointF(c.x() - radius, c.y()), QPointF(c.x() + radius, c.y()));
  a.p.drawLine(QPointF(c.x(), c.y() - radius), QPointF(c.x(), c.y() + radius));
  a.p.setPen(Pen(QColor(0x15, 0x4C, 0x80), a.lw));
  a.p.drawEllipse(c, radius, radius);
}

void Bubble(TArt &a, const QRectF &r, bool tailLeft, const QColor &fill) {
  QPainterPath path;
  path.addRoundedRect(r, r.height() * 0.35, r.height() * 0.35);
  QPolygonF tail;
  if (tailLeft) {
    tail << QPointF(r.left() + r.width() * 0.2, r.bottom() - 0.5)
         << QPointF(r.left() + r.width() * 0.05, r.bottom() + 2.8)
         << QPointF(r.left() + r.width() * 0.45, r.bottom() - 0.5);
  } else {
    tail << QPointF(r.right() - r.width() * 0.2, r.bottom() - 0.5)
         << QPointF(r.right() - r.width() * 0.05, r.bottom() + 2.8)
         << QPointF(r.right() - r.width() * 0.45, r.bottom() - 0.5);
  }
  QPainterPath tailPath;
  tailPath.addPolygon(tail);
  tailPath.closeSubpath();
  path = path.united(tailPath);
  a.p.setPen(Pen(fill.darker(170), a.lw));
  a.p.setBrush(Vertical(r, fill.lighter(120), fill));
  a.p.drawPath(path);
}

void Eye(TArt &a, const QPointF &c, qreal w) {
  const qreal h = w * 0.55;
  QPainterPath eye;
  eye.moveTo(c.x() - w / 2, c.y());
  eye.quadTo(c.x(), c.y() - h, c.x() + w / 2, c.y());
  eye.quadTo(c.x(), c.y() + h, c.x() - w / 2, c.y());
  eye.closeSubpath();
  Badge(a, eye, Qt::white, kInk);
  a.p.setPen(Qt::NoPen);
  a.p.setBrush(kBlueDark);
  a.p.drawEllipse(c, h * 0.42, h * 0.42);
}

// ------------------------------------------------------------ pictures

const QRectF kGridRect(0.5, 1.5, 15, 12);

void PaintIndex(TArt &a, int index) {
  switch (index) {
    case oiRoot:  // root "Bases": several databases
      Cylinder(a, QRectF(6.5, 0.5, 9, 12), kDbBack);
      Cylinder(a, QRectF(0.5, 3.5, 9, 12), kDbBase);
      break;
    case oiConnection:  // a connection: a database reached through the web
      Cylinder(a, QRectF(0.5, 0.5, 10, 14.5), kDbBase);
      Globe(a, QPointF(11.5, 11.5), 4.0);
      break;
    case oiTablesFolder:  // "Tables" folder
      Folder(a, QRectF(0.5, 1.5, 15, 12.5), false);
      Grid(a, QRectF(7.5, 8.5, 8, 7), kGridHeader, 2, 2);
      break;
    case oiTablesFolderOpen:  // "Tables" folder, open
      Folder(a, QRectF(0.5, 1.5, 15, 12.5), true);
      Grid(a, QRectF(7.5, 8.5, 8, 7), kGridHeader, 2, 2);
      break;
    case oiQueriesFolderOpen:  // "Requêtes" folder, open
      Folder(a, QRectF(0.5, 1.5, 15, 12.5), true);
      QueryDocument(a, QRectF(8.5, 6.5, 7, 9));
      break;
    case oiQueriesFolder:  // "Requêtes" folder
      Folder(a, QRectF(0.5, 1.5, 15, 12.5), false);
      QueryDocument(a, QRectF(8.5, 6.5, 7, 9));
      break;
    case oiTable:  // table
      Grid(a, kGridRect, kGridHeader, 3, 3);
      break;
    case oiColumn:  // column: a table with one column standing out
      Grid(a, kGridRect, QColor(0x9A, 0xAE, 0xC6), 3, 3, 1);
      break;
    case oiKey: {  // key (primary key)
      a.p.setPen(Pen(kGoldDark, a.lw));
      a.p.setBrush(kGold);
      QPainterPath key;
      key.addEllipse(QPointF(4.5, 8), 3.8, 3.8);
      key.addRect(QRectF(7.5, 7, 8, 2.2));
      key.addRect(QRectF(11.5, 8.5, 1.6, 3.5));
      key.addRect(QRectF(14, 8.5, 1.5, 2.5));
      key = key.simplified();
      QPainterPath hole;
      hole.addEllipse(QPointF(3.6, 8), 1.3, 1.3);
      a.p.drawPath(key.subtracted(hole));
      break;
    }
    case oiQuery:  // saved query
      QueryDocument(a, QRectF(2.5, 0.5, 11, 15));
      break;
    case oiView:  // view: a table seen through an eye
      Grid(a, QRectF(0.5, 0.5, 12, 11), kGreen, 3, 3);
      Eye(a, QPointF(10.5, 12.5), 9);
      break;
    case oiExecute: {  // execute
      QPolygonF play;
      play << QPointF(3.5, 1.5) << QPointF(14.5, 8) << QPointF(3.5, 14.5);
      a.p.setPen(Pen(kGreenDark, a.lw));
      a.p.setBrush(Vertical(play.boundingRect(), kGreen.lighter(140), kGreen));
      a.p.drawPolygon(play);
      break;
    }
    case oiRefresh:  // refresh: two arrows chasing each other
      ArcArrow(a, QPointF(8, 8), 5.2, 100, 150, 2.2, kBlue, kBlueDark);
      ArcArrow(a, QPointF(8, 8), 5.2, 280, 150, 2.2, kBlue, kBlueDark);
      break;
    case oiData:  // data: table rows
      Grid(a, kGridRect, kGridHeader, 3, 3, -1, 1, kGreen);
      break;
    case oiParameters: {  // parameters: a small form with two fields
      const QRectF win(0.5, 1.5, 15, 13);
      a.p.setPen(Pen(kGridFrame, a.lw));
      a.p.setBrush(QColor(0xF1, 0xF4, 0xF8));
      a.p.drawRect(win);
      a.p.setBrush(kGridHeader);
      a.p.drawRect(QRectF(0.5, 1.5, 15, 3));
      for (qreal y : {6.5, 10.5}) {
        a.p.setPen(Pen(kInk, a.lw * 0.8));
        a.p.drawLine(QPointF(2.5, y + 1.5), QPointF(4.5, y + 1.5));
        a.p.setPen(Pen(kPaperLine, a.lw * 0.8));
        a.p.setBrush(kPaper);
        a.p.drawRect(QRectF(6.5, y, 7, 3));
      }
      break;
    }
    case oiQuit: {  // quit: leave through the door
      a.p.setPen(Pen(QColor(0x4A, 0x3B, 0x2C), a.lw));
      a.p.setBrush(QColor(0x3B, 0x44, 0x50));
      a.p.drawRect(QRectF(1.5, 0.5, 9, 15));
      QPolygonF door;
      door << QPointF(1.5, 0.5) << QPointF(6.5, 2.5) << QPointF(6.5, 15.5) << QPointF(1.5, 15.5);
      a.p.setBrush(Vertical(door.boundingRect(), QColor(0xC0, 0x85, 0x4A), QColor(0x96, 0x5E, 0x2C)));
      a.p.drawPolygon(door);
      QPainterPath arrow;
      QPolygonF ar;
      ar << QPointF(7, 6.5) << QPointF(11, 6.5) << QPointF(11, 4) << QPointF(15.5, 8.25)
         << QPointF(11, 12.5) << QPointF(11, 10) << QPointF(7, 10);
      arrow.addPolygon(ar);
      arrow.closeSubpath();
      Badge(a, arrow, kGreen, kGreenDark);
      break;
    }
    case oiRenameQuery:  // rename query
      QueryDocument(a, QRectF(1.5, 0.5, 11, 15));
      PencilBadge(a);
      break;
    case oiNewQuery:  // new query
      QueryDocument(a, QRectF(1.5, 0.5, 11, 15));
      PlusBadge(a);
      break;
    case oiDeleteQuery:  // delete query
      QueryDocument(a, QRectF(1.5, 0.5, 11, 15));
      CrossBadge(a);
      break;
    case oiSearch: {  // search
      a.p.setPen(Pen(QColor(0x6B, 0x4A, 0x2A), 2.6));
      a.p.drawLine(QPointF(10.2, 10.2), QPointF(14.2, 14.2));
      a.p.setPen(Pen(kInk, a.lw));
      QRadialGradient g(QPointF(5, 5), 6);
      g.setColorAt(0, QColor(0xEA, 0xF4, 0xFF));
      g.setColorAt(1, QColor(0xA9, 0xCF, 0xF2));
      a.p.setBrush(g);
      a.p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
      break;
    }
    case oiConnectionProperties:  // connection properties
      Cylinder(a, QRectF(0.5, 0.5, 10, 14.5), kDbBase);
      PencilBadge(a);
      break;
    case oiNewConnection:  // new connection
      Cylinder(a, QRectF(0.5, 0.5, 10, 14.5), kDbBase);
      PlusBadge(a);
      break;
    case oiDeleteConnection:  // delete connection
      Cylinder(a, QRectF(0.5, 0.5, 10, 14.5), kDbBase);
      CrossBadge(a);
      break;
    case oiWebSite:  // web site
      Globe(a, QPointF(8, 8), 7.2);
      break;
    case oiCheckUpdates: {  // check for updates: a circular arrow round a down arrow
      ArcArrow(a, QPointF(8, 8), 5.6, 60, 290, 2.3, kGreen, kGreenDark);
      QPolygonF down;
      down << QPointF(7, 4.5) << QPointF(9, 4.5) << QPointF(9, 7.5) << QPointF(10.8, 7.5)
           << QPointF(8, 11) << QPointF(5.2, 7.5) << QPointF(7, 7.5);
      a.p.setPen(Pen(kBlueDark, a.lw * 0.6));
      a.p.setBrush(kBlue);
      a.p.drawPolygon(down);
      break;
    }
    case oiTutorials: {  // tutorials: a book
      const QRectF cover(2.5, 0.5, 11, 15);
      a.p.setPen(Pen(QColor(0x7A, 0x6A, 0x55), a.lw));
      a.p.setBrush(QColor(0xF6, 0xF1, 0xE4));
      a.p.drawRect(QRectF(3.5, 12.5, 10, 3));  // pages
      a.p.setPen(Pen(QColor(0x1A, 0x3E, 0x6E), a.lw));
      a.p.setBrush(Vertical(cover, QColor(0x3D, 0x7E, 0xCC), QColor(0x25, 0x5C, 0xA6)));
      a.p.drawRect(QRectF(2.5, 0.5, 11, 12.5));
      a.p.setBrush(QColor(0x1A, 0x3E, 0x6E));
      a.p.drawRect(QRectF(2.5, 0.5, 2, 15));  // spine
      a.p.setPen(Qt::NoPen);
      a.p.setBrush(QColor(255, 255, 255, 200));
      a.p.drawRect(QRectF(6.5, 3.5, 5, 2));  // title band
      a.p.setBrush(kRed);
      QPolygonF ribbon;
      ribbon << QPointF(10, 12.5) << QPointF(12, 12.5) << QPointF(12, 16) << QPointF(11, 15)
             << QPointF(10, 16);
      a.p.drawPolygon(ribbon);
      break;
    }
    case oiAbout:  // about
      InfoSign(a, QPointF(8, 8), 7.2);
      break;
    case oiForum: {  // forum: two speech bubbles
      Bubble(a, QRectF(0.5, 0.5, 11, 7.5), true, kBlue);
      Bubble(a, QRectF(4.5, 5.5, 11, 7.5), false, kOrange);
      a.p.setPen(Qt::NoPen);
      a.p.setBrush(Qt::white);
      for (qreal x : {7.5, 10.0, 12.5}) a.p.drawEllipse(QPointF(x, 9.25), 0.8, 0.8);
      break;
    }
    default:
      break;
  }
}

QPixmap NewPixmap(QSize size) {
  const qreal dpr = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
  QPixmap pm(size * dpr);
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  return pm;
}

}  // namespace

void PaintObjectPicture(QPainter &painter, int index, int size) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.scale(size / 16.0, size / 16.0);
  TArt a{painter, size >= 24 ? 0.75 : 1.0, size >= 24};
  PaintIndex(a, index);
  painter.restore();
}

QPixmap RenderObjectPicture(int index, int size) {
  QPixmap pm = NewPixmap(QSize(size, size));
  QPainter p(&pm);
  PaintObjectPicture(p, index, size);
  return pm;
}

QPixmap RenderMessagePicture(TMessagePicture picture, QSize size) {
  QPixmap pm = NewPixmap(size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  const qreal side = qMin(size.width(), size.height());
  // Designed on a 32 x 32 square, centred in the picture.
  p.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
  p.scale(side / 32.0, side / 32.0);
  TArt a{p, 1.2, true};
  const QPointF c(16, 16);
  switch (picture) {
    case TMessagePicture::Warning: {
      QPainterPath tri;
      tri.moveTo(16, 2.5);
      tri.lineTo(30.5, 28.5);
      tri.lineTo(1.5, 28.5);
      tri.closeSubpath();
      QPen pen = Pen(QColor(0xA8, 0x72, 0x00), 1.6);
      p.setPen(pen);
      p.setBrush(Vertical(tri.boundingRect(), QColor(0xFF, 0xDD, 0x5C), QColor(0xF5, 0xB3, 0x1C)));
      p.drawPath(tri);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x33, 0x2A, 0x10));
      p.drawRoundedRect(QRectF(14.6, 10, 2.8, 11), 1.2, 1.2);
      p.drawEllipse(QPointF(16, 24.6), 1.7, 1.7);
      break;
    }
    case TMessagePicture::Error: {
      Disc(a, c, 14.5, QColor(0xDE, 0x3B, 0x30));
      p.setPen(Pen(Qt::white, 3.6));
      p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
      p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
      break;
    }
    case TMessagePicture::Information:
      InfoSign(a, c, 14.5);
      break;
    case TMessagePicture::Confirmation: {
      Disc(a, c, 14.5, kBlue);
      QFont f;
      f.setBold(true);
      f.setPixelSize(22);
      QPainterPath q;
      q.addText(0, 0, f, QStringLiteral("?"));
      const QRectF qb = q.boundingRect();
      p.translate(c - qb.center());
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      p.drawPath(q);
      break;
    }
  }
  return pm;
}

}  // namespace UPictures
