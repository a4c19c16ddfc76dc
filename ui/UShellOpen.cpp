#include "UShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

bool ShellOpen(const QString &document, int /*showMode*/) {
  // A web address stays exactly as written: no guessing of a scheme.
  const QUrl url(document, QUrl::TolerantMode);
  return url.isValid() && QDesktopServices::openUrl(url);
}
