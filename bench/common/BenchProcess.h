#pragma once

// What the Qt benches share: this process's memory as the kernel counts it,
// and a message handler that keeps the offscreen platform's notes out of
// the figures.

#include <QFile>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// A field of /proc/self/status ("VmHWM:", "VmRSS:"), in bytes; -1 when
// it cannot be read.
inline qint64 ProcessStatusBytes(const char *field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray &line : status.readAll().split('\n')) {
    if (!line.startsWith(field)) continue;
    const QList<QByteArray> parts = line.simplified().split(' ');
    return parts.size() >= 2 ? parts[1].toLongLong() * 1024 : -1;
  }
  return -1;
}

// The offscreen platform's notes say nothing about what is measured.
inline void QuietBenchMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
  if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("XDG_RUNTIME_DIR")))
    return;
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::abort();
}
