#pragma once

#include "TAnswerBuffer.h"
#include "TAnswerTable.h"
#include "TConnectionSettings.h"
#include "TLinePieces.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocale;
class THttpClient;

// The client of the server script "ws.php": sends one statement per call as
// an HTTP POST and holds the answer as a forward-only result set. It never
// throws; every failure ends up in ErrorText.
//
// The answer is kept as one buffer; a row is located only when it is read,
// and cut into values only when one of them is, so a large answer costs its
// own size and nothing per row.
class TWebService : public QObject {
  Q_OBJECT

 public:
  explicit TWebService(QObject *owner = nullptr);
  ~TWebService() override;

  // The connection whose settings each Execute sends: its web server,
  // MySQL server, account, password and database (the title is not sent).
  // Its key says which stored connection they came from; never read here.
  TConnectionSettings Settings;
  // The service kind sent with them; the program only ever sets "SQL".
  QString Service;

  // Empty after a successful request; otherwise the last failure.
  QString ErrorText;
  // 0-based position of the cursor among the data rows.
  int RowIndex = 0;

  // Sends the statement and reads the whole answer. With a waiter (see
  // SetDefaultWaiter) the exchange runs on a worker thread while the waiter
  // keeps the calling thread's events going; without one it blocks the
  // calling thread. Either way it returns once the answer is complete or
  // the exchange has failed (or was cancelled). A request started while
  // another is under way is refused: ErrorText says so and nothing is sent.
  void Execute(const QString &sql);

  // A request on its way, as whoever waits for it sees it.
  struct TPendingRequest {
    QString Statement;  // as given to Execute
    QString WebServer;
  };
  // Called on the client's thread with the request under way; must return
  // only once RequestFinished() is true (RequestDone tells when), and may
  // call Cancel() meanwhile.
  using TWaiter = std::function<void(TWebService &client, const TPendingRequest &request)>;
  // The waiter of every client. None (the default): requests block the
  // calling thread, as the command-line client wants.
  static void SetDefaultWaiter(TWaiter waiter);
  // Ends the request under way as soon as possible, from any thread; its
  // Execute then fails with "Requête annulée" and Cancelled() true.
  void Cancel();
  // Whether the last Execute ended because it was cancelled.
  bool Cancelled() const { return FCancelled; }
  // Whether this client has a request under way, and whether any has.
  bool InFlight() const { return FInFlight; }
  static bool AnyInFlight();
  // For the waiter: the worker is done with the exchange.
  bool RequestFinished() const { return FFinished.load(); }
  // How many requests were refused because another was under way; the
  // program never should (tests read it).
  static int RefusedRequests();

  int RecordCount() const;
  bool Eof() const;
  void Next();
  QString GetValue(const QString &fieldName);
  QString GetValue(int fieldIndex);
  // The same value as bytes of the answer, escapes undone, not decoded: for
  // readers that walk large answers without building strings.
  QByteArray GetValueBytes(int fieldIndex);
  // The bytes of GetValueBytes without a copy of their own: valid until the
  // cursor moves (Next, Execute, or a read after RowIndex was changed).
  QByteArrayView GetValueView(int fieldIndex);
  // The current row's line as the answer holds it, whatever its number of
  // pieces: escapes kept, and its line break too (CR LF, LF or CR; none on a
  // last line without one), for readers that pass lines through as they
  // are. Empty past the end. It points into the answer itself, so it stays
  // valid until the next Execute.
  QByteArrayView GetRowText();
  // The lines of the rows from the cursor on, as the answer holds them;
  // empty past the end. Valid until the next Execute.
  QByteArrayView GetRemainingText();
  // Whether the answer holds no CR and every data row exactly that many
  // tabs, so that each row is a line ended by a line feed (the last may end
  // the answer instead); never for an error answer. Known from the answer's
  // arrival: a reader that passes rows through as they are need not walk
  // them to find out.
  bool RowsHaveTabs(int tabs) const;
  // The rows of the answer as a table that shares its bytes and outlives
  // this result set for as long as it is held; the cursor is not moved.
  // With longestPerColumn > 0 the table also notes, for each of the first
  // MostMeasuredColumns fields (the first piece when there are no field
  // names), that many rows whose value has the most bytes. Built once per
  // answer. Throws std::bad_alloc.
  static constexpr int MostMeasuredColumns = 4096;
  std::shared_ptr<const TAnswerTable> Table(int longestPerColumn = 0);
  // The field names as strings, made on the first call: they cost twice
  // the header's bytes and more, which a reader of answers of any size
  // avoids with FieldNameView.
  const QStringList &FieldNames() const;
  int FieldCount() const { return FFieldCount; }
  // A field name as the answer holds it (escapes kept, not decoded); empty
  // for an index out of range. Valid until the next Execute.
  QByteArrayView FieldNameView(int fieldIndex) const;

  // The time stamp that ends the request URL: local time as an OLE
  // Automation day count, 15 significant digits, the locale's decimal
  // separator, escaped for the URL.
  static QByteArray UrlStamp(const QDateTime &localTime, const QLocale &locale);

  // Test hooks; the program keeps the defaults (the current local time, 60 s
  // to connect, 30 s without a byte, answers up to 1 GiB, no bound on a
  // whole request). vantrel-sql sets the last for scripts (--max-time).
  void SetClock(std::function<QDateTime()> clock);
  void SetTimeouts(int connectMs, int idleMs);
  void SetMaxAnswerBytes(qint64 bytes);
  void SetMaxTime(int ms);
  // Trusts the certificate authorities of this PEM file besides the
  // system's (THttpClient::SetCaFile); empty: the system's alone. The
  // programs take it from VANTREL_CA_FILE, vantrel-sql also from --ca-file.
  void SetCaFile(const QString &path);
  // Takes the bytes as the answer of a request, as if they had arrived:
  // the answer parsing without the network, for its fuzz target.
  void SetAnswer(TAnswerBuffer answer) {
    ErrorText.clear();
    LoadAnswer(std::move(answer));
  }

 signals:
  // The worker is done with the exchange (sent on the client's thread).
  void RequestDone();

 private:
  // The POST, waited for by the waiter if there is one.
  bool Exchange(const QString &sql, const QByteArray &url, const QByteArray &form, TAnswerBuffer *answer,
                QString *failure);
  void LoadAnswer(TAnswerBuffer answer);
  void LoadFailure(const char *message) noexcept;
  void ClearResult();
  bool LocateRow();
  void SyncRow();
  qsizetype LineEnd(qsizetype begin);
  qsizetype NextLine(qsizetype lineEnd) const;

  std::unique_ptr<THttpClient> FHttp;
  std::function<QDateTime()> FClock;
  bool FInFlight = false;
  bool FCancelled = false;
  std::atomic<bool> FFinished{false};

  // The answer; only [0, FEnd) is seen. Shared with the tables handed
  // out, which keep it after the next Execute.
  std::shared_ptr<TAnswerBuffer> FText;
  const char *FData = nullptr;
  std::shared_ptr<const TAnswerTable> FTable;  // built on request
  int FTableLongest = 0;
  qsizetype FEnd = 0;        // first NUL byte, or the size
  // The first CR at or after FCrFrom (FEnd if none): line ends are found
  // with a search for LF alone up to it, as most answers hold no CR.
  qsizetype FCrFrom = 0;
  qsizetype FNextCr = -1;
  qsizetype FRowsBegin = 0;  // offset of the first data row
  int FRowCount = 0;
  bool FAllLines = true;     // false when there were more than INT_MAX
  bool FErrorAnswer = false;  // "$ERR": its rows start with the first line
  // The header's pieces; the names as strings only once asked for.
  TLinePieces FHeader;
  qsizetype FHeaderEnd = -1;  // -1 when the answer has no header
  int FFieldCount = 0;
  mutable QStringList FFieldNames;
  mutable bool FNamesMade = false;

  // The row last located, so that Next moves on from it.
  int FLineRow = -1;
  qsizetype FLineBegin = 0;
  qsizetype FLineEnd = 0;
  qsizetype FLineNext = 0;  // where the line after it begins
  // Pieces of the row at FValuesRow, up to the number of fields. The
  // first piece read with an escape in it has the row's pieces up to it
  // written into FUnescaped with their escapes undone, each ended by a NUL
  // (which no answer holds), and so on as later ones are read: it is given
  // room for the whole line at once, so that it never moves while the row
  // stays, and holds no more than the pieces read.
  int FValuesRow = -1;
  TLinePieces FValues;
  TLinePieces FUnescapedPieces;
  std::string FUnescaped;
};
