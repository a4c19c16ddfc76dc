#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QLocale;
class THttpClient;

// The client of the server script "ws.php": sends one statement per call as
// an HTTP POST and holds the answer as a forward-only result set. It never
// throws; every failure ends up in ErrorText.
//
// The answer is kept as one buffer; a row is located and cut into values
// only when the cursor reaches it, so a large answer costs its own size and
// nothing per row.
class TWebService : public QObject {
  Q_OBJECT

 public:
  explicit TWebService(QObject *owner = nullptr);
  ~TWebService() override;

  // Key of the connection whose settings are loaded; never read here.
  int Tag = 0;

  // Settings of one connection, read at each Execute.
  QString SQLServer;
  QString Service;
  QString WebServer;
  QString Account;
  QString Password;
  QString Database;

  // Empty after a successful request; otherwise the last failure.
  QString ErrorText;
  // 0-based position of the cursor among the data rows.
  int RowIndex = 0;

  void Execute(const QString &sql);

  int RecordCount() const;
  bool Eof() const;
  void Next();
  QString GetValue(const QString &fieldName);
  QString GetValue(int fieldIndex);
  // The same value as bytes of the answer, escapes undone, not decoded: for
  // readers that walk large answers without building strings.
  QByteArray GetValueBytes(int fieldIndex);
  const QStringList &FieldNames() const { return m_fieldNames; }
  int FieldCount() const { return int(m_fieldNames.size()); }

  // The time stamp that ends the request URL: local time as an OLE
  // Automation day count, 15 significant digits, the locale's decimal
  // separator, escaped for the URL.
  static QByteArray UrlStamp(const QDateTime &localTime, const QLocale &locale);

  // Test hooks; the program keeps the defaults (the current local time, 60 s
  // to connect, 30 s without a byte, answers up to 1 GiB).
  void SetClock(std::function<QDateTime()> clock);
  void SetTimeouts(int connectMs, int idleMs);
  void SetMaxAnswerBytes(qint64 bytes);

 private:
  void LoadAnswer(QByteArray answer);
  void LoadFailure(const char *message) noexcept;
  void ClearResult();
  void LoadRow();
  void SyncRow();
  qsizetype LineEnd(qsizetype begin) const;
  qsizetype NextLine(qsizetype lineEnd) const;

  std::unique_ptr<THttpClient> m_http;
  std::function<QDateTime()> m_clock;

  QByteArray m_text;          // the answer; only [0, m_end) is seen
  qsizetype m_end = 0;        // first NUL byte, or the size
  qsizetype m_rowsBegin = 0;  // offset of the first data row
  int m_rowCount = 0;
  QStringList m_fieldNames;

  // The row last located, so that Next moves on from it.
  int m_lineRow = -1;
  qsizetype m_lineBegin = 0;
  qsizetype m_lineEnd = 0;
  // Pieces of the row at m_valuesRow, still escaped.
  int m_valuesRow = -1;
  std::vector<QByteArrayView> m_values;
};
