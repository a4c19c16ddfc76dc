#include "UTitleOrder.h"

#include <sqlite3.h>

namespace {

// The letters of a text without their accents and case: "Œuvre" and
// "oeuvre", "École" and "ecole" read alike.
QString BaseLetters(const QString &text) {
  const QString decomposed = text.normalized(QString::NormalizationForm_KD);
  QString base;
  base.reserve(decomposed.size());
  for (const QChar c : decomposed) {
    if (c.category() == QChar::Mark_NonSpacing) continue;
    switch (c.unicode()) {
      case 0x0152:  // Œ
      case 0x0153:  // œ
        base += QStringLiteral("oe");
        break;
      case 0x00C6:  // Æ
      case 0x00E6:  // æ
        base += QStringLiteral("ae");
        break;
      case 0x00DF:  // ß
        base += QStringLiteral("ss");
        break;
      default:
        base += c;
    }
  }
  return base.toCaseFolded();
}

int Sign(int order) { return order < 0 ? -1 : (order > 0 ? 1 : 0); }

int CompareUtf8(void *, int sizeA, const void *a, int sizeB, const void *b) {
  return CompareTitles(QString::fromUtf8(static_cast<const char *>(a), sizeA),
                       QString::fromUtf8(static_cast<const char *>(b), sizeB));
}

}  // namespace

int CompareTitles(const QString &a, const QString &b) {
  if (const int letters = BaseLetters(a).compare(BaseLetters(b))) return Sign(letters);
  // The same letters: the accents decide, then the case, then the code.
  const QString accentsA = a.normalized(QString::NormalizationForm_D).toCaseFolded();
  const QString accentsB = b.normalized(QString::NormalizationForm_D).toCaseFolded();
  if (const int accents = accentsA.compare(accentsB)) return Sign(accents);
  if (const int cases = a.compare(b, Qt::CaseInsensitive)) return Sign(cases);
  return Sign(a.compare(b));
}

bool InstallTitleOrder(sqlite3 *handle) {
  return handle && sqlite3_create_collation(handle, "NOCASE", SQLITE_UTF8, nullptr, CompareUtf8) == SQLITE_OK;
}
