// TfrmAbout: the About box, created once and shown again at each request.
#pragma once

#include "TSkinForm.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmAbout : public QDialog, public TSkinForm {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 367;
  static constexpr int kClientHeight = 187;

  // The memo's designed text: the product line with "%" where the version
  // goes, and the credits.
  static QString DesignedText();

  // Builds the box from its design; every "%" of the memo's text becomes
  // the version. designedText stands in for the design's memo text.
  explicit TfrmAbout(QWidget *parent = nullptr, const QString &designedText = DesignedText());
  ~TfrmAbout() override;

  // Centres the box on its parent (the screen without one) and shows it
  // modally, Ok holding the focus: mrOk for Ok, mrCancel for the close box
  // or Escape.
  int Execute();

 public slots:
  void reject() override;

 private:
  QLabel *Image1 = nullptr;
  QPlainTextEdit *mAbout = nullptr;
  QPushButton *btnOk = nullptr;
};
