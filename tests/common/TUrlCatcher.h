#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Takes the web addresses the program opens, in place of a browser, for as
// long as it lives: no browser starts and nothing leaves the machine.
class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  TUrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
  ~TUrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl &url) { Opened << url; }
};
