// TfrmDialog: the message dialog's form, the arithmetic of its size and
// place, and its test hook.
#pragma once

#include "TSkinForm.h"
#include "UDialog.h"

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QRect>

class QFrame;
class QLabel;
class QKeyEvent;
class QPushButton;
class QScreen;
class QScrollArea;
class QWidget;

// The pure arithmetic of the dialog's sizing. The frame is modelled
// as in the design: client area 292 x 105 inside a minimum outer width of
// 300, so the outer width is the client width plus 8. Heights are kept in
// client terms.
struct TDialogLayout {
  static constexpr int kDesignClientWidth = 292;
  static constexpr int kDesignClientHeight = 105;
  static constexpr int kMinOuterWidth = 300;
  static constexpr int kFrameWidth = kMinOuterWidth - kDesignClientWidth;  // 8
  static constexpr int kDesignLineHeight = 13;  // lbMsg's designed one-line height
  static constexpr int kLabelLeft = 64;
  static constexpr int kLabelTop = 24;
  static constexpr int kBevelLeft = 56;
  static constexpr int kBevelTop = 16;
  static constexpr int kBevelRightMargin = kDesignClientWidth - kBevelLeft - 232;  // 4
  static constexpr int kButtonWidth = 75;
  static constexpr int kButtonHeight = 25;
  static constexpr int kButtonStep = 83;

  int outerWidth = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  int bevelWidth = 0;   // Bevel1 follows the form's width (anchored right)
  int bevelHeight = 0;
  int buttonCount = 0;
  int firstButtonLeft = 0;
  int buttonTop = 0;
};

// The room the message may take on a screen whose available area has the
// given size: the box at most two thirds of the screen's width (never below
// its minimum width), and no taller than the screen, its caption bar
// included. A longer message wraps at `width`; a taller one scrolls.
struct TMessageRoom {
  // Caption bar and borders that the window manager adds above and around
  // the client area; not known before the box is shown, so estimated.
  static constexpr int kFrameAllowance = 48;
  int width = 0;   // the widest the message may be
  int height = 0;  // the tallest the message may be
};
TMessageRoom ComputeMessageRoom(int availableWidth, int availableHeight,
                                int designedLabelHeight = TDialogLayout::kDesignLineHeight);

// Where the box of that outer size goes in an available area: centred, then
// moved inside the area (the caption bar allowance included) where it would
// leave it.
QPoint PlaceMessageBox(int outerWidth, int clientHeight, const QRect &area);

// labelWidth/labelHeight: the size of lbMsg holding the message;
// designedLabelHeight: its height with the designed one-line text (before the message is set).
TDialogLayout ComputeDialogLayout(int labelWidth, int labelHeight, int buttonCount,
                                  int designedLabelHeight = TDialogLayout::kDesignLineHeight);

// The message as lbMsg shows it: leading and trailing blanks and control
// characters (every character up to U+0020) removed; CR LF and lone CR made
// into LF, so that each line break gives one line.
QString DialogMessageText(const QString &msg);

// What a MessageDialog call received and returned.
struct TShownMessage {
  QString message;  // as given, before trimming
  TMsgDlgType kind = mtInformation;
  TMsgDlgButtons buttons;
  int helpCtx = 0;
  int result = mrNone;
  bool answeredByHook = false;  // true when SetNextAnswer gave the result
  int defaultButton = -1;       // the button kind named as the default, -1 for none
};

class TfrmDialog : public QDialog, public TSkinForm {
  Q_OBJECT

 public:
  // The designed form (pnDLG hidden, pictures and vocabulary labels
  // hidden, lbMsg with its one-line designed text). Owned by the caller.
  explicit TfrmDialog(QWidget *parent = nullptr);
  ~TfrmDialog() override;

  // Sizes the form to the message, chooses the picture and the title,
  // creates the buttons on pnDLG.
  void Prepare(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons);
  // The same, with defaultButton (when it is in the set) as the default
  // button, which also takes the focus.
  void Prepare(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons,
               TMsgDlgBtn defaultButton);
  // Shows pnDLG, centres the form on the screen and runs it
  // modally. Returns the button's modal result, mrCancel for the close box.
  int Run();

  // The layout applied by the last Prepare.
  const TDialogLayout &Layout() const { return FLayout; }
  // The buttons created by the last Prepare, left to right.
  QList<QPushButton *> Buttons() const { return FButtons; }
  // The message as shown, which Ctrl+C copies whole when nothing is
  // selected.
  const QString &Message() const { return FMessage; }
  // The screen the box is sized for and shown on: the one of the active
  // window, else the primary screen.
  static QScreen *TargetScreen();

  // One MessageDialog call: answered by the test hook when an answer is
  // queued, otherwise shown modally on a dialog created for the call and
  // destroyed before it returns. defaultKind: a button kind of the set, or
  // -1 for no default button.
  static int ShowMessage(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                         int defaultKind);

  // --- Test hook -------------------------------------------------------
  // Queues an answer: the next MessageDialog call returns `result` at once,
  // without showing anything. Each call consumes one queued answer, in
  // order; with none queued the dialog is shown modally.
  static void SetNextAnswer(int result);
  static void ClearAnswers();
  static int PendingAnswers();
  // The arguments and result of the last MessageDialog call (answered by
  // the hook or shown), and the number of calls since the start.
  static const TShownMessage &LastShown();
  static int ShownCount();

 public slots:
  // The close box and Escape close the dialog with mrCancel.
  void reject() override;

 protected:
  // Ctrl+C copies the selected text, or the whole message without a
  // selection.
  void keyPressEvent(QKeyEvent *event) override;

 private:
  void CopyMessage();
  void ShowMessageMenu(const QPoint &pos);
  QLabel *NewVocabulary(const char *name, const QString &caption);
  // defaultKind: a button kind, or -1 for no default button.
  void DoPrepare(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int defaultKind);

  QWidget *pnDLG;
  QFrame *Bevel1;
  QLabel *imgWarning;
  QLabel *imgError;
  QLabel *imgInformation;
  QLabel *imgConfirmation;
  QLabel *lbMsg;
  QScrollArea *sbMsg;  // holds lbMsg when the message is taller than the screen
  QLabel *lbWarning;
  QLabel *lbError;
  QLabel *lbInformation;
  QLabel *lbConfirmation;
  QLabel *lbYes;
  QLabel *lbNo;
  QLabel *lbOk;
  QLabel *lbCancel;

  TDialogLayout FLayout;
  QList<QPushButton *> FButtons;
  QString FMessage;
  int FDesignedLineHeight = TDialogLayout::kDesignLineHeight;
};
