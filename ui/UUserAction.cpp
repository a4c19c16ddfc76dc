#include "UUserAction.h"

#include "TSkinForm.h"

#include <QString>

#include <exception>

void RunUserAction(const std::function<void()> &action) noexcept {
  QString message;
  try {
    action();
    return;
  } catch (const std::exception &error) {
    message = QString::fromUtf8(error.what());
  } catch (...) {
    message = QStringLiteral("Erreur inattendue.");
  }
  try {
    MessageDialog(message, mtError, TMsgDlgButtons(mbOK), 0);
  } catch (...) {
    // Nothing more can be said; the program goes on.
  }
}
