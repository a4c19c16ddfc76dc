#pragma once

#include "TSkinForm.h"
#include "TWebService.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QPushButton;
class QTimer;

// The waiting of the window for a request: its events go on (it repaints,
// its timers run) but the user can start nothing else; after about half a
// second a small box over the main window says what is being done and for
// how long, with "Annuler" (Escape too) to give up.
class TfrmRequestWait : public QDialog, public TSkinForm {
  Q_OBJECT

 public:
  // When the box shows, and how often its seconds are counted.
  static constexpr int kShowAfterMs = 500;
  static constexpr int kTickMs = 1000;

  // The waiter the program's clients use; the box is centred on `owner`.
  static TWebService::TWaiter Waiter(QWidget *owner);

  TfrmRequestWait(TWebService &client, const TWebService::TPendingRequest &request, QWidget *owner);
  ~TfrmRequestWait() override;

  // Runs the events until the request is done; shows the box meanwhile once
  // kShowAfterMs have passed.
  void Wait();

 public slots:
  // Escape, "Annuler" and the close box: the request is cancelled.
  void reject() override;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void ShowBox();
  void UpdateElapsed();
  bool IsMine(QObject *object) const;

  TWebService &FClient;
  QWidget *FOwner;
  QLabel *FWhat = nullptr;
  QLabel *FWhere = nullptr;
  QLabel *FElapsed = nullptr;
  QPushButton *FCancel = nullptr;
  QTimer *FTick = nullptr;
  QElapsedTimer FClock;
};
