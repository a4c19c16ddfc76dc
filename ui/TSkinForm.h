// TSkinForm: the form base of every window, and the forwarder through which
// the forms reach the message dialog.
//
// On this platform the window manager draws the caption bars, so the form
// base keeps the title (FTitle) and hands it to the window manager; there is
// no skin engine, so CurrentSkin stays none and no skin refresh is ever
// pending. TSkinForm is a mixin, not a QObject, so that QMainWindow- and
// QDialog-derived forms can both derive from it:
//
//   class TfrmAbout : public QDialog, public TSkinForm {
//    public:
//     explicit TfrmAbout(QWidget *parent = nullptr) : QDialog(parent), TSkinForm(this) { ... }
//   };
#pragma once

#include "UDialog.h"

#include <QMetaObject>
#include <QString>

class QWidget;

class TSkinForm {
 public:
  TSkinForm(const TSkinForm &) = delete;
  TSkinForm &operator=(const TSkinForm &) = delete;

  // Stores the title in FTitle and hands it to the window manager (the
  // form's window title). A form that is not a window of its own stores it
  // without showing it, as the form base draws no title there.
  void SetFormTitle(const QString &title);
  const QString &FormTitle() const { return FTitle; }

  // The skin engine must be asked to refresh the form before the next title
  // drawing. There is no skin engine: false after creation, and stays so.
  bool SkinRefreshPending() const { return FSkinRefreshPending; }

  // The skin component last attached by a form: there is no skin engine, so
  // always none (nullptr).
  static const void *CurrentSkin();

 protected:
  // Construction: no skin refresh pending; FTitle takes the form's caption
  // (its window title), which the window manager keeps showing. The form's
  // design is set up after this base in a mixin, so a caption the derived
  // constructor gives the form (setWindowTitle) is taken into FTitle too:
  // FTitle always equals the caption the window manager shows.
  explicit TSkinForm(QWidget *form);
  virtual ~TSkinForm();

  QWidget *Form() const { return FForm; }
  // Centres the form over its owner's window, or on the screen without an
  // owner, as a dialog is placed before it is shown.
  void CenterOnOwner();

 private:
  QWidget *FForm;
  bool FSkinRefreshPending = false;
  QString FTitle;
  QMetaObject::Connection FTitleWatch;
};

// The message dialog, with the same arguments and result as
// UDialog::MessageDialog, to which it forwards every call unchanged. The
// forms of the program call the dialog through this forwarder.
int MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx);
int MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                  TMsgDlgBtn defaultButton);
