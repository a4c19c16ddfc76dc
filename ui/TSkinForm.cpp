#include "TSkinForm.h"

#include <QObject>
#include <QWidget>

TSkinForm::TSkinForm(QWidget *form) : FForm(form) {
  Q_ASSERT(form != nullptr);
  if (FForm == nullptr) return;
  FTitle = FForm->windowTitle();
  FTitleWatch = QObject::connect(FForm, &QWidget::windowTitleChanged, FForm,
                                 [this](const QString &title) { FTitle = title; });
}

TSkinForm::~TSkinForm() { QObject::disconnect(FTitleWatch); }

void TSkinForm::SetFormTitle(const QString &title) {
  FTitle = title;
  if (FForm != nullptr) FForm->setWindowTitle(title);
}

const void *TSkinForm::CurrentSkin() { return nullptr; }

int MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx) {
  return UDialog::MessageDialog(msg, dlgType, buttons, helpCtx);
}
