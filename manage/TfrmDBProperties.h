// TfrmDBProperties: the connection properties dialog, created once and reused
// by the new-connection and edit-connection flows.
#pragma once

#include "TConnectionSettings.h"
#include "TSkinForm.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class TfrmDBProperties : public QDialog, public TSkinForm {
  Q_OBJECT

 public:
  // Client area of the design: the outer 470 x 251 (minimum 330 x 195)
  // less a sizeable frame of 4 pixels a side and a 19-pixel caption bar.
  // Both widths grow by LabelShift() when the font needs a wider label
  // column.
  static constexpr int kDesignClientWidth = 462;
  static constexpr int kDesignClientHeight = 224;
  static constexpr int kMinClientWidth = 322;
  static constexpr int kMinClientHeight = 168;

  explicit TfrmDBProperties(QWidget *parent = nullptr);
  ~TfrmDBProperties() override;

  // Fills the six edits; the OK rule follows their texts. The key is not
  // the dialog's: Values gives none.
  void SetValues(const TConnectionSettings &values);
  TConnectionSettings Values() const;

  // Sets the title, centres the dialog on its parent (or on the screen
  // without one) and shows it modally: mrOk for OK, mrCancel for Cancel,
  // Escape or the close box.
  int Execute(const QString &title);

  // Pixels added to the design's label column (0 when the captions fit in
  // the designed 104); the edits start at 112 plus this.
  int LabelShift() const { return FLabelShift; }

 public slots:
  // OK is enabled exactly when the title, web server, MySQL server, account
  // and password each hold something besides blanks and control characters
  // at their ends. The database name may stay empty.
  void doChange();
  // Escape and the close box give mrCancel, as Cancel does.
  void reject() override;
  // "Tester la connexion": SELECT VERSION() with the settings as typed;
  // says the server's version, or shows the error.
  void btnTestClick();

 protected:
  void showEvent(QShowEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  QLineEdit *NewEdit(const char *name, const QString &caption, const char *labelName);
  // Places the anchored controls for the current client size.
  void ApplyLayout();

  QList<QLabel *> FLabels;
  int FLabelShift = 0;
  QLineEdit *edtTitle = nullptr;
  QLineEdit *edtWebserver = nullptr;
  QLineEdit *edtSQLServer = nullptr;
  QLineEdit *edtAccount = nullptr;
  QLineEdit *edtPwd = nullptr;
  QLineEdit *edtDB = nullptr;
  QWidget *Bevel1 = nullptr;
  QPushButton *btnTest = nullptr;
  QPushButton *btnOk = nullptr;
  QPushButton *btnCancel = nullptr;
};
