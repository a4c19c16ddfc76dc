#include "UDialog.h"

#include "TfrmDialog.h"

int UDialog::MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx) {
  return TfrmDialog::ShowMessage(msg, dlgType, buttons, helpCtx, -1);
}

int UDialog::MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                           TMsgDlgBtn defaultButton) {
  // A kind outside the set names no button: the dialog then has no default.
  const int kind = buttons.Contains(defaultButton) ? int(defaultButton) : -1;
  return TfrmDialog::ShowMessage(msg, dlgType, buttons, helpCtx, kind);
}
