#include "TfrmRequestWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QRegularExpression>
#include <QWindow>

namespace {

// The first line of a statement, as a user recognises it.
QString FirstLine(const QString &statement) {
  const QString trimmed = statement.trimmed();
  const qsizetype end = trimmed.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
  QString line = end < 0 ? trimmed : trimmed.left(end);
  if (line.size() > 80) line = line.left(79) + QChar(0x2026);
  return line;
}

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

}  // namespace

TWebService::TWaiter TfrmRequestWait::Waiter(QWidget *owner) {
  return [owner](TWebService &client, const TWebService::TPendingRequest &request) {
    TfrmRequestWait box(client, request, owner);
    box.Wait();
  };
}

TfrmRequestWait::TfrmRequestWait(TWebService &client, const TWebService::TPendingRequest &request, QWidget *owner)
    : QDialog(owner), TSkinForm(this), FClient(client), FOwner(owner) {
  setObjectName(QStringLiteral("frmRequestWait"));
  SetFormTitle(QStringLiteral("Requête en cours"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);
  auto *layout = new QVBoxLayout(this);
  FWhat = new QLabel(QStringLiteral("Requête : ") + FirstLine(request.Statement), this);
  FWhat->setObjectName(QStringLiteral("lbWaitWhat"));
  FWhere = new QLabel(QStringLiteral("Serveur web : ") + request.WebServer, this);
  FWhere->setObjectName(QStringLiteral("lbWaitWhere"));
  FElapsed = new QLabel(this);
  FElapsed->setObjectName(QStringLiteral("lbWaitElapsed"));
  // Each line's text is what a screen reader reads as its name.
  FWhat->setAccessibleDescription(QStringLiteral("La requête en cours"));
  FWhere->setAccessibleDescription(QStringLiteral("Le serveur web qui la reçoit"));
  FElapsed->setAccessibleDescription(QStringLiteral("Le temps écoulé depuis son envoi"));
  for (QLabel *label : {FWhat, FWhere, FElapsed}) {
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
  }
  FCancel = new QPushButton(QStringLiteral("Annuler"), this);
  FCancel->setObjectName(QStringLiteral("btnWaitCancel"));
  FCancel->setAccessibleName(QStringLiteral("Annuler la requête"));
  layout->addWidget(FCancel, 0, Qt::AlignRight);
  connect(FCancel, &QPushButton::clicked, this, &TfrmRequestWait::reject);
  FTick = new QTimer(this);
  FTick->setInterval(kTickMs);
  connect(FTick, &QTimer::timeout, this, &TfrmRequestWait::UpdateElapsed);
  FClock.start();
  UpdateElapsed();
}

TfrmRequestWait::~TfrmRequestWait() { qApp->removeEventFilter(this); }

void TfrmRequestWait::Wait() {
  if (FClient.RequestFinished()) return;
  QEventLoop loop;
  connect(&FClient, &TWebService::RequestDone, &loop, &QEventLoop::quit);
  // Nothing the user does reaches the program but this box.
  qApp->installEventFilter(this);
  QTimer::singleShot(kShowAfterMs, this, &TfrmRequestWait::ShowBox);
  if (!FClient.RequestFinished()) loop.exec();
  qApp->removeEventFilter(this);
  FTick->stop();
  hide();
}

void TfrmRequestWait::ShowBox() {
  if (FClient.RequestFinished()) return;
  UpdateElapsed();
  adjustSize();
  CenterOnOwner();
  show();
  raise();
  activateWindow();
  FCancel->setFocus();
  FTick->start();
}

void TfrmRequestWait::UpdateElapsed() {
  FElapsed->setText(QStringLiteral("Temps écoulé : %1 s").arg(FClock.elapsed() / 1000));
}

void TfrmRequestWait::reject() {
  FCancel->setEnabled(false);
  FElapsed->setText(QStringLiteral("Annulation..."));
  FClient.Cancel();
}

bool TfrmRequestWait::IsMine(QObject *object) const {
  if (object == this || object == windowHandle()) return true;
  const auto *widget = qobject_cast<QWidget *>(object);
  return widget != nullptr && isAncestorOf(widget);
}

bool TfrmRequestWait::eventFilter(QObject *watched, QEvent *event) {
  if (IsUserInput(event->type()) && !IsMine(watched)) {
    // A window closed by the user would take the waiting with it; a close
    // from the program's own code (none while waiting) is let through.
    if (event->type() == QEvent::Close && !event->spontaneous()) return false;
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
