// ModalHelper: lets a widget test act on a modal window that the code under
// test opens (QDialog::exec, QMessageBox, the program's MessageDialog...)
// without a human and without hanging.
//
//   auto watch = ModalHelper::ClickOnNextModal("&Ok");
//   const int r = MessageDialog("Bonjour", mtConfirmation, {mbOK, mbCancel}, 0);
//   QVERIFY(watch->acted);                       // the dialog was found and clicked
//
//   auto w = ModalHelper::OnNextModal([](QWidget *dlg) {
//     QCOMPARE_...;                               // inspect it while it is shown
//     dlg->close();                               // then close it
//   });
//
// A watch polls QApplication::activeModalWidget() every 10 ms, from the
// event loop that the modal window runs, for a modal window other than the
// one that was active when the watch began (so a watch started inside a
// callback waits for the next, nested, modal window). When it finds one it
// calls the action once. Bounds: when no modal window appears within the
// time-out the watch gives up (timedOut); when the window it acted on is
// still shown a time-out later (the action did not close it), the watch
// closes it itself (forcedClose: close(), then reject() for a dialog, then
// hide()) so that the test goes on and can fail instead of hanging.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>

namespace ModalHelper {

using TModalAction = std::function<void(QWidget *modal)>;

struct TModalWatch {
  bool found = false;        // a modal window appeared and the action was called
  bool acted = false;        // the action returned
  bool closed = false;       // the window went away after the action
  bool forcedClose = false;  // the watch had to close the window itself
  bool timedOut = false;     // no modal window appeared in time
  QString title;             // window title of the modal window found
  QString className;         // its class name (metaObject()->className())
  QString objectName;        // its object name
  QPointer<QWidget> widget;  // the window (null once destroyed)
  bool inAction = false;     // internal: the action is running (it may run a nested loop)
  bool Done() const { return timedOut || closed || forcedClose; }
};

// Text of a button with the accelerator marks removed ("&Ok" -> "Ok",
// "&&" -> "&").
inline QString PlainText(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

// The visible buttons of a window, in creation order.
inline QList<QAbstractButton *> Buttons(QWidget *modal) {
  QList<QAbstractButton *> out;
  if (modal == nullptr) return out;
  for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
    if (b->isVisible()) out.append(b);
  return out;
}

inline QStringList ButtonTexts(QWidget *modal) {
  QStringList out;
  for (QAbstractButton *b : Buttons(modal)) out.append(b->text());
  return out;
}

// The visible, enabled button whose text is `text`, compared as written or
// without accelerator marks ("&Ok", "Ok"); nullptr if none.
inline QAbstractButton *FindButton(QWidget *modal, const QString &text) {
  for (QAbstractButton *b : Buttons(modal))
    if (b->isEnabled() && (b->text() == text || PlainText(b->text()) == PlainText(text))) return b;
  return nullptr;
}

// Clicks that button; false (and nothing clicked) when there is none.
inline bool ClickButton(QWidget *modal, const QString &text) {
  QAbstractButton *b = FindButton(modal, text);
  if (b == nullptr) return false;
  b->click();
  return true;
}

// Waits for the next modal window (see above) and calls `action` on it.
// The returned watch fills in as things happen; keep it to check it.
inline std::shared_ptr<TModalWatch> OnNextModal(TModalAction action, int timeoutMs = 5000) {
  auto watch = std::make_shared<TModalWatch>();
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto *timer = new QTimer(qApp);
  timer->setInterval(10);
  auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
  QObject::connect(timer, &QTimer::timeout, timer,
                   [watch, before, timer, deadline, timeoutMs, act = std::move(action)]() {
                     if (watch->inAction) return;
                     QWidget *modal = QApplication::activeModalWidget();
                     if (!watch->found) {
                       if (modal != nullptr && modal != before.data() && modal->isVisible()) {
                         watch->found = true;
                         watch->widget = modal;
                         watch->title = modal->windowTitle();
                         watch->className = QString::fromLatin1(modal->metaObject()->className());
                         watch->objectName = modal->objectName();
                         *deadline = QDeadlineTimer(timeoutMs);
                         watch->inAction = true;
                         if (act) act(modal);
                         watch->inAction = false;
                         watch->acted = true;
                         if (watch->widget.isNull() || !watch->widget->isVisible()) {
                           watch->closed = true;
                           timer->stop();
                           timer->deleteLater();
                         }
                       } else if (deadline->hasExpired()) {
                         watch->timedOut = true;
                         timer->stop();
                         timer->deleteLater();
                       }
                       return;
                     }
                     QWidget *w = watch->widget.data();
                     if (w == nullptr || !w->isVisible()) {
                       watch->closed = true;
                       timer->stop();
                       timer->deleteLater();
                       return;
                     }
                     if (deadline->hasExpired()) {
                       watch->forcedClose = true;
                       w->close();
                       if (auto *dlg = qobject_cast<QDialog *>(w); dlg != nullptr && dlg->isVisible())
                         dlg->reject();
                       if (w->isVisible()) w->hide();
                       timer->stop();
                       timer->deleteLater();
                     }
                   });
  timer->start();
  return watch;
}

// Clicks the button `text` of the next modal window. When the window has no
// such button the watch closes it after the time-out (forcedClose).
inline std::shared_ptr<TModalWatch> ClickOnNextModal(const QString &text, int timeoutMs = 5000) {
  return OnNextModal([text](QWidget *modal) { ClickButton(modal, text); }, timeoutMs);
}

// Closes the next modal window as its close box would (close()).
inline std::shared_ptr<TModalWatch> CloseNextModal(int timeoutMs = 5000) {
  return OnNextModal([](QWidget *modal) { modal->close(); }, timeoutMs);
}

}  // namespace ModalHelper
