// TfrmParameters: the dialog that asks for the values of a saved query's named
// parameters before it runs, offers the values last given on the same
// connection, puts the typed values into the text and remembers them.
// Created once and reused.
#pragma once

#include "TSkinForm.h"
#include "USqlText.h"

#include <QByteArray>
#include <QDialog>

#include <exception>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TLocalStore;

class TfrmParameters : public QDialog, public TSkinForm {
  Q_OBJECT

 public:
  // Design geometry, in pixels.
  static constexpr int kClientWidth = 347;
  static constexpr int kBottomHeight = 31;
  static constexpr int kMaxHeight = 350;
  static constexpr int kRowStep = 24;
  static constexpr int kDesignEditHeight = 21;

  explicit TfrmParameters(TLocalStore &store, QWidget *parent = nullptr);
  ~TfrmParameters() override;

  qint64 DatabaseId = 0;  // the key of the query's connection
  QByteArray SQLText;     // the query's text; after OK, with the values put in

  // Builds one row per reference of SQLText (FormShow), places the dialog
  // over its parent (or the screen) and shows it modally: mrOk for OK,
  // mrCancel for Cancel, Escape or the close box. What fails is thrown from
  // here, never across the event loop: a text with too many references
  // (TSqlTextError) or a store failure while reading remembered values,
  // before anything is shown; a store failure on OK once the dialog has
  // closed, with SQLText unchanged.
  int Execute();

  // Rebuilds the rows from SQLText, each edit filled with its remembered
  // value. Throws as Execute does.
  void FormShow();
  // The providers: one row per reference while the rows are built; on OK,
  // the first matching edit's text exactly as typed (ftInteger), remembered.
  void AddParamEditor(const QByteArray &name, QByteArray &value, TFieldType &type);
  void StoreParamValue(const QByteArray &name, QByteArray &value, TFieldType &type);
  // Labels to one right-aligned column, edits 5 pixels right of it, the
  // dialog's height to the rows (350 at most).
  void ArrangeParamEditors();

 public slots:
  // OK: puts the values into SQLText and remembers them.
  void BitBtn1Click();
  // Escape and the close box give mrCancel, as Annuler does.
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  struct TParamEditor {
    QLabel *Label;
    QLineEdit *Edit;
    QByteArray Name;  // as written in the text: the edit's hint
  };
  void ApplyLayout();

  TLocalStore &FStore;
  QScrollArea *sbContent = nullptr;
  QWidget *FContent = nullptr;  // the scroll box's client, holding the rows
  QWidget *pnBottom = nullptr;
  QPushButton *BitBtn1 = nullptr;
  QPushButton *BitBtn2 = nullptr;
  std::vector<TParamEditor> FEditors;  // in creation order
  bool FRunning = false;                // inside Execute's modal loop
  std::exception_ptr FFailure;          // what OK threw, for Execute to rethrow
};
