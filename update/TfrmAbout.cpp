#include "TfrmAbout.h"

#include "UUpdate.h"

#include <QFont>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kImageLeft = 16;
constexpr int kImageTop = 24;
constexpr int kImageWidth = 95;
constexpr int kImageHeight = 94;
constexpr int kMemoLeft = 136;
constexpr int kMemoTop = 24;
constexpr int kMemoWidth = 225;
constexpr int kMemoHeight = 89;
constexpr int kOkLeft = 146;
constexpr int kOkTop = 144;
constexpr int kOkWidth = 75;
constexpr int kOkHeight = 25;

const QColor kNavy(0, 0, 128);

// The product's picture: a database drum in the product's navy with a "V"
// on its side, on a transparent ground.
QPixmap ProductPicture(qreal devicePixelRatio) {
  QPixmap pixmap(QSize(kImageWidth, kImageHeight) * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  const QRectF body(12, 14, 71, 66);
  const qreal lid = 18;  // height of the drum's top and bottom ellipses
  QPainterPath drum;
  drum.moveTo(body.left(), body.top() + lid / 2);
  drum.lineTo(body.left(), body.bottom() - lid / 2);
  drum.arcTo(QRectF(body.left(), body.bottom() - lid, body.width(), lid), 180, 180);
  drum.lineTo(body.right(), body.top() + lid / 2);
  drum.arcTo(QRectF(body.left(), body.top(), body.width(), lid), 0, 180);
  drum.closeSubpath();

  QLinearGradient side(body.topLeft(), body.topRight());
  side.setColorAt(0, QColor(40, 70, 170));
  side.setColorAt(0.45, QColor(110, 150, 230));
  side.setColorAt(1, kNavy);
  p.setPen(QPen(kNavy, 1.5));
  p.setBrush(side);
  p.drawPath(drum);
  // The top, lit.
  p.setBrush(QColor(170, 195, 245));
  p.drawEllipse(QRectF(body.left(), body.top(), body.width(), lid));
  // Two bands, as the platters of a disc.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(200, 215, 250, 160), 1.2));
  for (const qreal y : {body.top() + 30, body.top() + 48})
    p.drawArc(QRectF(body.left(), y - lid / 2, body.width(), lid), 180 * 16, 180 * 16);
  // The "V".
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(34);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(body.left(), body.top() + lid - 2, body.width(), body.height() - lid), Qt::AlignCenter,
             QStringLiteral("V"));
  return pixmap;
}

}  // namespace

QString TfrmAbout::DesignedText() {
  return QStringLiteral(
      "    Vantrel %\n"
      "\n"
      "Conçu par l'équipe Vantrel\n"
      "\n"
      "Merci à nos testeurs !");
}

TfrmAbout::TfrmAbout(QWidget *parent, const QString &designedText) : QDialog(parent), TSkinForm(this) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("A propos..."));
  // A dialog frame: close box, no resizing, no minimise or maximise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);
  setFixedSize(kClientWidth, kClientHeight);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(kImageLeft, kImageTop, kImageWidth, kImageHeight);
  Image1->setPixmap(ProductPicture(devicePixelRatioF()));
  Image1->setAccessibleName(QStringLiteral("Logo de Vantrel"));

  mAbout = new QPlainTextEdit(this);
  mAbout->setObjectName(QStringLiteral("mAbout"));
  mAbout->setGeometry(kMemoLeft, kMemoTop, kMemoWidth, kMemoHeight);
  mAbout->setReadOnly(true);
  mAbout->setFrameShape(QFrame::NoFrame);
  mAbout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  mAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Its menu would offer the toolkit's untranslated commands.
  mAbout->setContextMenuPolicy(Qt::NoContextMenu);
  QFont font;
  // Arial where it is installed, else a font of its metrics, else any sans.
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(13);
  font.setBold(true);
  mAbout->setFont(font);
  QPalette colours = mAbout->palette();
  colours.setColor(QPalette::Base, palette().color(QPalette::Window));
  colours.setColor(QPalette::Text, kNavy);
  mAbout->setPalette(colours);
  mAbout->document()->setDocumentMargin(2);
  mAbout->setAccessibleName(QStringLiteral("Version et remerciements"));

  btnOk = new QPushButton(QStringLiteral("Ok"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setGeometry(kOkLeft, kOkTop, kOkWidth, kOkHeight);
  btnOk->setDefault(true);
  btnOk->setAccessibleName(QStringLiteral("Ok"));
  connect(btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });

  // The version goes wherever the design has "%".
  mAbout->setPlainText(QString(designedText).replace(QLatin1Char('%'), QLatin1String(UUpdate::Version)));
}

TfrmAbout::~TfrmAbout() = default;

int TfrmAbout::Execute() {
  CenterOnOwner();
  btnOk->setFocus();
  return exec();
}

void TfrmAbout::reject() { done(mrCancel); }
