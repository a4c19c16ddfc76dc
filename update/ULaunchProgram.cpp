#include "ULaunchProgram.h"

#include <QFileInfo>
#include <QProcess>

std::optional<QStringList> SplitShellWords(const QString &text) {
  QStringList words;
  QString word;
  // A word exists once any character or quote of it has been read, so that
  // "" stands for an empty word instead of nothing.
  bool inWord = false;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = text.at(i);
    if (c == u' ' || c == u'\t' || c == u'\n') {
      if (inWord) words.append(word);
      word.clear();
      inWord = false;
      ++i;
    } else if (c == u'\\') {
      if (i + 1 >= n) {
        // Nothing left to escape: the backslash stands for itself.
        word += c;
        inWord = true;
        ++i;
      } else if (text.at(i + 1) == u'\n') {
        i += 2;  // a line joined to the next
      } else {
        word += text.at(i + 1);
        inWord = true;
        i += 2;
      }
    } else if (c == u'\'') {
      const qsizetype close = text.indexOf(u'\'', i + 1);
      if (close < 0) return std::nullopt;
      word += text.mid(i + 1, close - i - 1);
      inWord = true;
      i = close + 1;
    } else if (c == u'"') {
      inWord = true;
      ++i;
      for (;;) {
        if (i >= n) return std::nullopt;
        const QChar d = text.at(i);
        if (d == u'"') {
          ++i;
          break;
        }
        if (d == u'\\' && i + 1 < n) {
          const QChar e = text.at(i + 1);
          if (e == u'\n') {
            i += 2;
            continue;
          }
          if (e == u'$' || e == u'`' || e == u'"' || e == u'\\') {
            word += e;
            i += 2;
            continue;
          }
        }
        word += d;
        ++i;
      }
    } else {
      word += c;
      inWord = true;
      ++i;
    }
  }
  if (inWord) words.append(word);
  return words;
}

int LaunchProgram(const QString &program, const QString &arguments, int /*showMode*/) {
#ifdef Q_OS_WIN
  // The updater and the programs of this platform read their own command
  // line: it is handed over as written.
  QProcess process;
  process.setProgram(program);
  process.setNativeArguments(arguments);
  if (process.startDetached()) return lrStarted;
#else
  const std::optional<QStringList> words = SplitShellWords(arguments);
  if (!words) return lrBadArguments;
  if (program.isEmpty()) return lrFileNotFound;
  if (QProcess::startDetached(program, *words)) return lrStarted;
#endif
  return QFileInfo::exists(program) ? lrCannotStart : lrFileNotFound;
}
