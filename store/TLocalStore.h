#pragma once

#include "TStoreStatements.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

class QTimer;

#include <memory>
#include <utility>
#include <vector>

// A parameter value bound by name: an integer key, a text or a date and time.
using TStoreParams = std::vector<std::pair<const char *, QVariant>>;

// The rows of a statement, read in full and closed before they are handed
// out, so that no statement stays open between user actions.
class TStoreRows {
 public:
  explicit TStoreRows(std::vector<QSqlRecord> rows) : FRows(std::move(rows)) {}
  bool Eof() const { return FIndex >= FRows.size(); }
  void Next() { ++FIndex; }
  int Count() const { return static_cast<int>(FRows.size()); }
  // A null column reads as an empty text, or 0.
  QString AsString(const char *column) const;
  qint64 AsInteger(const char *column) const;
  // Null when the column is null.
  QDateTime AsDateTime(const char *column) const;

 private:
  const QSqlRecord &Current(const char *column) const;
  std::vector<QSqlRecord> FRows;
  std::size_t FIndex = 0;
};

// The local store: one file, beside the executable unless its folder is
// read-only; one connection for the life of the main window.
class TLocalStore {
 public:
  TLocalStore();
  ~TLocalStore();
  TLocalStore(const TLocalStore &) = delete;
  TLocalStore &operator=(const TLocalStore &) = delete;

  // The executable's path with its extension replaced by ".adb".
  static QString PathForExecutable(const QString &executablePath);
  // Where the store lives when no path is given: beside the executable
  // (PathForExecutable) while its folder takes new files; otherwise, an
  // installed copy in a system folder, "vantrel.adb" in `dataFolder`
  // (DataFolder() by default), which the caller creates before opening.
  static QString DefaultPath(const QString &executablePath, const QString &dataFolder = DataFolder());
  // The user's own folder for the store: "vantrel" in the XDG data
  // location ($XDG_DATA_HOME, or ~/.local/share).
  static QString DataFolder();
  // True when a new file can be created in the folder (permissions, a
  // read-only file system, a missing folder: all answered by trying).
  static bool FolderTakesFiles(const QString &folder);
  // The bytes of the empty store written when the file is absent.
  static QByteArray TemplateBytes();
  // How dates are written into the store and read back as text.
  static QString FormatDateTime(const QDateTime &value);
  static QDateTime ParseDateTime(const QString &text);
  // A date and time as the store's fields give it as text: the user's
  // short date, then the time with seconds, left out at exactly midnight.
  static QString DateTimeText(const QDateTime &value);

  // Creates the file from the template when absent, then opens it.
  // Throws TStoreError with a message for the user.
  void Open(const QString &path);
  // The two upgrade statements: the first one's failure is ignored, the
  // second one's is thrown.
  void Upgrade();
  bool IsOpen() const;
  QString Path() const { return FPath; }
  void Close();

  // Runs a statement that returns no rows. Throws TStoreError.
  void Execute(TStoreStatement statement, const TStoreParams &params = {});
  // Folds the write-ahead log into the file. Runs by itself once the writes
  // pause (with an event loop), or after many writes without a pause.
  void Checkpoint();
  // The pause after the last write before the log is folded in, and the
  // writes after which it is folded in whatever happens.
  static constexpr int kCheckpointPauseMs = 500;
  static constexpr int kMostWritesBeforeCheckpoint = 200;
  // Runs a statement that returns rows. Throws TStoreError.
  TStoreRows Select(TStoreStatement statement, const TStoreParams &params = {});

 private:
  // Opens the connection; the reason of a failure, or an empty text.
  QString Connect(const QString &path);
  QSqlQuery Prepare(TStoreStatement statement, const TStoreParams &params);
  void ScheduleCheckpoint();

  QString FConnectionName;
  QString FPath;
  std::unique_ptr<QTimer> FCheckpointTimer;
  int FWritesSinceCheckpoint = 0;
};
