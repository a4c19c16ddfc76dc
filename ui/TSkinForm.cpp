#include "TSkinForm.h"

#include <QGuiApplication>
#include <QObject>
#include <QScreen>
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

int MessageDialog(const QString &msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                  TMsgDlgBtn defaultButton) {
  return UDialog::MessageDialog(msg, dlgType, buttons, helpCtx, defaultButton);
}

void TSkinForm::CenterOnOwner() {
  QRect area;
  if (QWidget *owner = FForm->parentWidget(); owner != nullptr)
    area = owner->window()->frameGeometry();
  else if (const QScreen *screen = QGuiApplication::primaryScreen(); screen != nullptr)
    area = screen->availableGeometry();
  if (!area.isValid()) return;
  // The frame is known once the form has been shown; before that the
  // client size stands for it.
  QRect placed(QPoint(), FForm->frameGeometry().size());
  placed.moveCenter(area.center());
  FForm->move(placed.topLeft());
}
