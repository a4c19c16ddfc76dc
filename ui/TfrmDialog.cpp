#include "TfrmDialog.h"

#include "UPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

// ------------------------------------------------------------ arithmetic

TDialogLayout ComputeDialogLayout(int labelWidth, int labelHeight, int buttonCount,
                                  int designedLabelHeight) {
  using L = TDialogLayout;
  L l;
  // The form grows by the designed line, then by the message.
  l.clientHeight = L::kDesignClientHeight + designedLabelHeight + labelHeight;
  // Outer width from the label, with the minimum of 300.
  l.outerWidth = qMax(L::kMinOuterWidth, L::kLabelLeft + labelWidth + 20);
  l.clientWidth = l.outerWidth - L::kFrameWidth;
  // The bevel's height, and its right anchor.
  l.bevelHeight = l.clientHeight - L::kBevelTop - 41;
  l.bevelWidth = l.clientWidth - L::kBevelLeft - L::kBevelRightMargin;
  // The row of buttons centred as if each took 67 pixels, the division
  // truncating toward zero: a row wider than the form starts left of it.
  l.buttonCount = buttonCount;
  l.firstButtonLeft = (l.clientWidth - 67 * buttonCount) / 2;
  l.buttonTop = l.clientHeight - L::kButtonHeight - 8;
  return l;
}

TMessageRoom ComputeMessageRoom(int availableWidth, int availableHeight, int designedLabelHeight) {
  using L = TDialogLayout;
  TMessageRoom room;
  const int outerWidth = qMax(L::kMinOuterWidth, availableWidth * 2 / 3);
  room.width = outerWidth - L::kLabelLeft - 20;
  // The client area grows by the designed line and the message.
  room.height = qMax(designedLabelHeight, availableHeight - TMessageRoom::kFrameAllowance -
                                              L::kDesignClientHeight - designedLabelHeight);
  return room;
}

QPoint PlaceMessageBox(int outerWidth, int clientHeight, const QRect &area) {
  QRect box(QPoint(0, 0), QSize(outerWidth, clientHeight));
  box.moveCenter(area.center());
  const int outerHeight = clientHeight + TMessageRoom::kFrameAllowance;
  const int x = qMax(area.left(), qMin(box.left(), area.right() + 1 - outerWidth));
  const int y = qMax(area.top(), qMin(box.top(), area.bottom() + 1 - outerHeight));
  return {x, y};
}

QString DialogMessageText(const QString &msg) {
  qsizetype b = 0, e = msg.size();
  while (b < e && msg.at(b).unicode() <= 0x20) ++b;
  while (e > b && msg.at(e - 1).unicode() <= 0x20) --e;
  QString s = msg.mid(b, e - b);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

// ------------------------------------------------------------ test hook

namespace {

struct THookState {
  QList<int> answers;
  TShownMessage last;
  int count = 0;
};

THookState &Hook() {
  static THookState state;
  return state;
}

}  // namespace

void TfrmDialog::SetNextAnswer(int result) { Hook().answers.append(result); }
void TfrmDialog::ClearAnswers() { Hook().answers.clear(); }
int TfrmDialog::PendingAnswers() { return int(Hook().answers.size()); }
const TShownMessage &TfrmDialog::LastShown() { return Hook().last; }
int TfrmDialog::ShownCount() { return Hook().count; }

// ------------------------------------------------------------ the form

TfrmDialog::TfrmDialog(QWidget *parent) : QDialog(parent), TSkinForm(this) {
  using L = TDialogLayout;
  setObjectName(QStringLiteral("frmDialog"));
  // Tool window: small caption bar with a close box only; not resizable.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Message"));
  setFixedSize(L::kDesignClientWidth, L::kDesignClientHeight);
  setSizeGripEnabled(false);

  pnDLG = new QWidget(this);
  pnDLG->setObjectName(QStringLiteral("pnDLG"));
  pnDLG->setGeometry(0, 0, L::kDesignClientWidth, L::kDesignClientHeight);
  pnDLG->hide();

  Bevel1 = new QFrame(pnDLG);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1->setLineWidth(1);
  Bevel1->setGeometry(L::kBevelLeft, L::kBevelTop, 232, 26);

  auto picture = [this](const char *name, UPictures::TMessagePicture which, int height) {
    auto *img = new QLabel(pnDLG);
    img->setObjectName(QLatin1String(name));
    img->setGeometry(8, 16, 32, height);
    img->setPixmap(UPictures::RenderMessagePicture(which, QSize(32, height)));
    img->hide();
    return img;
  };
  imgWarning = picture("imgWarning", UPictures::TMessagePicture::Warning, 32);
  imgError = picture("imgError", UPictures::TMessagePicture::Error, 33);
  imgInformation = picture("imgInformation", UPictures::TMessagePicture::Information, 32);
  imgConfirmation = picture("imgConfirmation", UPictures::TMessagePicture::Confirmation, 32);

  lbMsg = new QLabel(QStringLiteral("lbMsg"), pnDLG);
  lbMsg->setObjectName(QStringLiteral("lbMsg"));
  lbMsg->setTextFormat(Qt::PlainText);
  lbMsg->setWordWrap(false);
  // A message is often what the user has to pass on or look up.
  lbMsg->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The label's own menu would offer the toolkit's untranslated commands.
  lbMsg->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lbMsg, &QWidget::customContextMenuRequested, this, &TfrmDialog::ShowMessageMenu);
  lbMsg->move(L::kLabelLeft, L::kLabelTop);
  lbMsg->resize(lbMsg->sizeHint());
  FDesignedLineHeight = lbMsg->height();

  sbMsg = new QScrollArea(pnDLG);
  sbMsg->setObjectName(QStringLiteral("sbMsg"));
  sbMsg->setAccessibleName(QStringLiteral("Message"));
  sbMsg->setFrameShape(QFrame::NoFrame);
  sbMsg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbMsg->setWidgetResizable(false);
  sbMsg->hide();

  lbWarning = NewVocabulary("lbWarning", QStringLiteral("Attention"));
  lbError = NewVocabulary("lbError", QStringLiteral("Erreur"));
  lbInformation = NewVocabulary("lbInformation", QStringLiteral("Information"));
  lbConfirmation = NewVocabulary("lbConfirmation", QStringLiteral("Confirmation"));
  lbYes = NewVocabulary("lbYes", QStringLiteral("&Oui"));
  lbNo = NewVocabulary("lbNo", QStringLiteral("&Non"));
  lbOk = NewVocabulary("lbOk", QStringLiteral("&Ok"));
  lbCancel = NewVocabulary("lbCancel", QStringLiteral("&Annuler"));
}

TfrmDialog::~TfrmDialog() = default;

QLabel *TfrmDialog::NewVocabulary(const char *name, const QString &caption) {
  auto *label = new QLabel(caption, pnDLG);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  label->hide();
  return label;
}

void TfrmDialog::Prepare(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons) {
  DoPrepare(msg, dlgType, buttons, -1);
}

void TfrmDialog::Prepare(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
                         TMsgDlgBtn defaultButton) {
  DoPrepare(msg, dlgType, buttons, int(defaultButton));
}

void TfrmDialog::DoPrepare(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
                           int defaultKind) {
  using L = TDialogLayout;
  // The designed one-line text's height, read before any message replaced
  // it (13 pixels in the design's font; the real font's here).
  const int designedHeight = FDesignedLineHeight;
  // The label takes the size of the message, one line per line break...
  FMessage = DialogMessageText(msg);
  lbMsg->setWordWrap(false);
  lbMsg->setText(FMessage);
  QSize label = lbMsg->sizeHint();
  QSize box = label;
  bool scrolls = false;
  // ...as long as it fits the screen: a wider one wraps, a taller one
  // scrolls, so that the box and its buttons stay on the screen.
  if (const QScreen *screen = TargetScreen(); screen != nullptr) {
    const QRect area = screen->availableGeometry();
    const TMessageRoom room = ComputeMessageRoom(area.width(), area.height(), designedHeight);
    if (label.width() > room.width) {
      lbMsg->setWordWrap(true);
      label = QSize(room.width, lbMsg->heightForWidth(room.width));
    }
    box = label;
    if (label.height() > room.height) {
      scrolls = true;
      const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, sbMsg->verticalScrollBar());
      if (label.width() + bar > room.width) {
        lbMsg->setWordWrap(true);
        label = QSize(room.width - bar, lbMsg->heightForWidth(room.width - bar));
      }
      box = QSize(label.width() + bar, room.height);
    }
  }
  const QPoint at(L::kLabelLeft, L::kLabelTop);
  if (scrolls) {
    if (sbMsg->widget() != lbMsg) {
      sbMsg->setWidget(lbMsg);
      lbMsg->setAutoFillBackground(false);
    }
    lbMsg->resize(label);
    sbMsg->setGeometry(QRect(at, box));
    sbMsg->show();
  } else {
    if (sbMsg->widget() == lbMsg) {
      sbMsg->takeWidget();
      lbMsg->setParent(pnDLG);
      lbMsg->show();
    }
    sbMsg->hide();
    lbMsg->setGeometry(QRect(at, label));
  }
  // The form, its panel and its bevel around the message; the buttons' row.
  FLayout = ComputeDialogLayout(box.width(), box.height(), buttons.Count(), designedHeight);
  setFixedSize(FLayout.clientWidth, FLayout.clientHeight);
  pnDLG->setGeometry(0, 0, FLayout.clientWidth, FLayout.clientHeight);
  Bevel1->setGeometry(TDialogLayout::kBevelLeft, TDialogLayout::kBevelTop, FLayout.bevelWidth,
                      FLayout.bevelHeight);

  // Picture and title by kind; any other kind is information.
  QLabel *picture = imgInformation;
  QLabel *title = lbInformation;
  switch (dlgType) {
    case mtWarning:
      picture = imgWarning;
      title = lbWarning;
      break;
    case mtError:
      picture = imgError;
      title = lbError;
      break;
    case mtConfirmation:
      picture = imgConfirmation;
      title = lbConfirmation;
      break;
    default:
      break;
  }
  for (QLabel *img : {imgWarning, imgError, imgInformation, imgConfirmation})
    img->setVisible(img == picture);
  SetFormTitle(title->text());

  // One button per kind in the set, in kind order.
  qDeleteAll(FButtons);
  FButtons.clear();
  struct TButtonKind {
    QString caption;
    int result;
  };
  // The program asks for Yes, No, OK and Cancel only; their captions are the
  // vocabulary labels'. The other kinds keep their place in the row with
  // their own results and plain captions of our own; Help does nothing
  // (the help context is not used).
  const TButtonKind kinds[kMsgDlgBtnKinds] = {
      {lbYes->text(), mrYes},
      {lbNo->text(), mrNo},
      {lbOk->text(), mrOk},
      {lbCancel->text(), mrCancel},
      {QStringLiteral("A&bandonner"), mrAbort},
      {QStringLiteral("&Réessayer"), mrRetry},
      {QStringLiteral("&Ignorer"), mrIgnore},
      {QStringLiteral("&Tous"), mrAll},
      {QStringLiteral("Non à &tout"), mrNoToAll},
      {QStringLiteral("Oui à t&out"), mrYesToAll},
      {QStringLiteral("Aid&e"), mrNone},
  };
  int left = FLayout.firstButtonLeft;
  for (int i = 0; i < kMsgDlgBtnKinds; ++i) {
    if (!buttons.Contains(TMsgDlgBtn(i))) continue;
    auto *button = new QPushButton(kinds[i].caption, pnDLG);
    button->setObjectName(QStringLiteral("btn%1").arg(i));
    button->setGeometry(left, FLayout.buttonTop, TDialogLayout::kButtonWidth,
                        TDialogLayout::kButtonHeight);
    // No cancel button; a default button only when the caller names one
    // (a question whose safe answer must be the one Enter gives).
    button->setDefault(i == defaultKind);
    if (i == defaultKind) button->setFocus();
    const int result = kinds[i].result;
    if (result != mrNone) connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    left += TDialogLayout::kButtonStep;
    FButtons.append(button);
  }
}

QScreen *TfrmDialog::TargetScreen() {
  QScreen *screen = nullptr;
  if (QWidget *active = QApplication::activeWindow()) screen = active->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen;
}

int TfrmDialog::Run() {
  pnDLG->show();
  // Placed at the centre of the screen it was sized for.
  if (QScreen *screen = TargetScreen(); screen != nullptr) {
    setScreen(screen);
    move(PlaceMessageBox(FLayout.outerWidth, height(), screen->availableGeometry()));
  }
  return exec();
}

void TfrmDialog::reject() { done(mrCancel); }

void TfrmDialog::keyPressEvent(QKeyEvent *event) {
  if (event->matches(QKeySequence::Copy)) {
    CopyMessage();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmDialog::CopyMessage() {
  const QString selected = lbMsg->selectedText();
  QGuiApplication::clipboard()->setText(selected.isEmpty() ? FMessage : selected);
}

void TfrmDialog::ShowMessageMenu(const QPoint &pos) {
  QMenu menu(this);
  menu.setAccessibleName(QStringLiteral("Menu du message"));
  QAction *copy = menu.addAction(QStringLiteral("&Copier"));
  QAction *all = menu.addAction(QStringLiteral("Tout &sélectionner"));
  QAction *chosen = menu.exec(lbMsg->mapToGlobal(pos));
  if (chosen == copy)
    CopyMessage();
  else if (chosen == all)
    lbMsg->setSelection(0, int(lbMsg->text().size()));
}

// ------------------------------------------------------------ one call

int TfrmDialog::ShowMessage(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                            int defaultKind) {
  THookState &hook = Hook();
  ++hook.count;
  TShownMessage record{msg, dlgType, buttons, helpCtx, mrNone, false, defaultKind};
  if (!hook.answers.isEmpty()) {
    record.result = hook.answers.takeFirst();
    record.answeredByHook = true;
    hook.last = record;
    return record.result;
  }
  hook.last = record;
  int result = mrNone;
  {
    TfrmDialog dialog;  // created for the call, destroyed before returning
    if (defaultKind < 0)
      dialog.Prepare(msg, dlgType, buttons);
    else
      dialog.Prepare(msg, dlgType, buttons, TMsgDlgBtn(defaultKind));
    result = dialog.Run();
  }
  record.result = result;
  Hook().last = record;
  return result;
}
