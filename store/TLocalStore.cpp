#include "TLocalStore.h"

#include "TStoreError.h"
#include "UTitleOrder.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

namespace {

const char *const kDateFormat = "yyyy-MM-dd HH:mm:ss";

QAtomicInt gConnectionCounter;

bool IsForeignKeyFailure(const QSqlError &error) {
  // SQLite's own words; the native code is only the primary "constraint" code.
  return error.databaseText().contains(QLatin1String("FOREIGN KEY constraint failed"));
}

QString ErrorMessage(const QSqlError &error, bool isDelete) {
  if (IsForeignKeyFailure(error)) {
    // The connection flows recognise this refusal by the word "connexe".
    return isDelete ? QStringLiteral(
                          "L'enregistrement ne peut pas être supprimé ou modifié car la table "
                          "'T_REQUETE' comprend des enregistrements connexes.")
                    : QStringLiteral(
                          "Vous ne pouvez pas ajouter ou modifier un enregistrement car un "
                          "enregistrement connexe est requis dans la table 'T_DATABASE'.");
  }
  QString text = error.databaseText();
  if (text.isEmpty()) text = error.driverText();
  if (text.isEmpty()) text = QStringLiteral("Erreur inconnue de la base locale");
  return text;
}

bool KindMatches(TParamKind kind, const QVariant &value) {
  switch (kind) {
    case TParamKind::Integer:
      return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
             value.typeId() == QMetaType::UInt || value.typeId() == QMetaType::ULongLong;
    case TParamKind::Text:
      return value.typeId() == QMetaType::QString;
    case TParamKind::DateTime:
      return value.typeId() == QMetaType::QDateTime;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------- TStoreRows

const QSqlRecord &TStoreRows::Current(const char *column) const {
  if (Eof()) throw std::logic_error(std::string("no current row to read ") + column);
  const QSqlRecord &record = FRows[FIndex];
  if (record.indexOf(QLatin1String(column)) < 0)
    throw std::logic_error(std::string("no column ") + column);
  return record;
}

QString TStoreRows::AsString(const char *column) const {
  const QVariant value = Current(column).value(QLatin1String(column));
  return value.isNull() ? QString() : value.toString();
}

qint64 TStoreRows::AsInteger(const char *column) const {
  const QVariant value = Current(column).value(QLatin1String(column));
  return value.isNull() ? 0 : value.toLongLong();
}

QDateTime TStoreRows::AsDateTime(const char *column) const {
  return TLocalStore::ParseDateTime(AsString(column));
}

// --------------------------------------------------------------- TLocalStore

TLocalStore::TLocalStore()
    : FConnectionName(QStringLiteral("vantrel-store-%1").arg(gConnectionCounter.fetchAndAddRelaxed(1))) {}

TLocalStore::~TLocalStore() { Close(); }

QString TLocalStore::PathForExecutable(const QString &executablePath) {
  const QFileInfo info(executablePath);
  const QString name = info.fileName();
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  const QString base = dot > 0 ? name.left(dot) : name;
  return info.absoluteDir().filePath(base + QStringLiteral(".adb"));
}

QString TLocalStore::DefaultPath(const QString &executablePath, const QString &dataFolder) {
  const QString beside = PathForExecutable(executablePath);
  if (FolderTakesFiles(QFileInfo(beside).absolutePath())) return beside;
  return QDir(dataFolder).filePath(QStringLiteral("vantrel.adb"));
}

QString TLocalStore::DataFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
      .filePath(QStringLiteral("vantrel"));
}

bool TLocalStore::FolderTakesFiles(const QString &folder) {
  // The folder's mode says nothing of a read-only mount, and nothing to
  // root: only a file actually made tells. The journal files beside the
  // store need the same.
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".vantrel-probe-XXXXXX")));
  return probe.open();
}

QByteArray TLocalStore::TemplateBytes() {
  QFile resource(QStringLiteral(":/store/template.adb"));
  if (!resource.open(QIODevice::ReadOnly)) throw std::logic_error("store template resource missing");
  return resource.readAll();
}

QString TLocalStore::FormatDateTime(const QDateTime &value) {
  return value.toString(QLatin1String(kDateFormat));
}

QDateTime TLocalStore::ParseDateTime(const QString &text) {
  if (text.isEmpty()) return {};
  QDateTime value = QDateTime::fromString(text, QLatin1String(kDateFormat));
  if (!value.isValid()) value = QDateTime::fromString(text, Qt::ISODate);
  return value;
}

QString TLocalStore::DateTimeText(const QDateTime &value) {
  if (!value.isValid()) return {};
  const QLocale locale = QLocale::system();
  QString text = locale.toString(value.date(), QLocale::ShortFormat);
  if (value.time() != QTime(0, 0)) {
    // The long time format, without the time zone Qt adds to it.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    text += QLatin1Char(' ') + value.time().toString(format.trimmed());
  }
  return text;
}

void TLocalStore::Open(const QString &path) {
  Close();
  FPath = path;
  if (!QFileInfo::exists(path)) {
    // The file holds passwords in clear: its owner alone may read it, and
    // SQLite gives its journal files the same mode.
    QFile file(path);
    const QByteArray bytes = TemplateBytes();
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
      const QString reason = file.errorString();
      if (file.isOpen()) {
        file.close();
        file.remove();  // never leave half a template to be taken for a store
      }
      throw TStoreError(QStringLiteral("Impossible de créer la base locale « %1 » : %2").arg(path, reason));
    }
    file.close();
  }

  const QString reason = Connect(path);
  if (!reason.isEmpty()) {
    Close();
    throw TStoreError(QStringLiteral("Impossible d'ouvrir la base locale « %1 » : %2").arg(path, reason));
  }
}

QString TLocalStore::Connect(const QString &path) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FConnectionName);
  db.setDatabaseName(path);
  // A second running copy waits for the lock instead of failing at once.
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
  if (!db.open()) return ErrorMessage(db.lastError(), false);
  QSqlQuery query(db);
  // A file that is a database but not a store is refused here, before
  // anything is written into it, rather than at the first user action.
  if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name "
                                 "IN ('T_DATABASE','T_REQUETE','T_PARAMETRE')")) ||
      !query.next())
    return ErrorMessage(query.lastError(), false);
  if (query.value(0).toInt() != 3) return QStringLiteral("ce fichier n'est pas une base Vantrel");
  query.finish();
  // Titles are listed as a French reader expects them.
  const QVariant handle = db.driver()->handle();
  if (qstrcmp(handle.typeName(), "sqlite3*") != 0 ||
      !InstallTitleOrder(*static_cast<sqlite3 *const *>(handle.constData())))
    return QStringLiteral("l'ordre des titres ne peut pas être installé");
  // Connection settings, not data: the editor commits on every keystroke,
  // hence the write-ahead log with normal synchronisation, whose commits
  // wait for no disk. Its checkpoints do wait (they sync the file): they
  // run when the writes pause (ScheduleCheckpoint), not in the middle of a
  // keystroke.
  for (const char *pragma : {"PRAGMA foreign_keys=ON", "PRAGMA journal_mode=WAL",
                             "PRAGMA synchronous=NORMAL", "PRAGMA wal_autocheckpoint=0"}) {
    if (!query.exec(QLatin1String(pragma))) return ErrorMessage(query.lastError(), false);
    query.finish();
  }
  return {};
}

void TLocalStore::Upgrade() {
  try {
    Execute(TStoreStatement::qryUpgradeDataBase1);
  } catch (const TStoreError &) {
    // Fails whenever the column already exists, that is on every later start.
  }
  Execute(TStoreStatement::qryUpgradeDataBase2);
}

bool TLocalStore::IsOpen() const {
  return QSqlDatabase::contains(FConnectionName) &&
         QSqlDatabase::database(FConnectionName, false).isOpen();
}

void TLocalStore::Close() {
  // Closing the last connection folds the log in by itself.
  if (FCheckpointTimer) FCheckpointTimer->stop();
  FWritesSinceCheckpoint = 0;
  if (!QSqlDatabase::contains(FConnectionName)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(FConnectionName, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(FConnectionName);
}

QSqlQuery TLocalStore::Prepare(TStoreStatement statement, const TStoreParams &params) {
  if (!IsOpen()) throw TStoreError(QStringLiteral("La base locale n'est pas ouverte."));
  const TStatementDef &def = StatementDef(statement);
  if (params.size() != def.Params.size())
    throw std::logic_error(std::string(def.Name) + ": wrong number of parameters");

  QSqlQuery query(QSqlDatabase::database(FConnectionName, false));
  query.setForwardOnly(true);
  if (!query.prepare(StatementText(statement)))
    throw TStoreError(ErrorMessage(query.lastError(), false));
  for (const TStatementParam &param : def.Params) {
    const auto found = std::find_if(params.begin(), params.end(), [&](const auto &given) {
      return qstrcmp(given.first, param.Name) == 0;
    });
    if (found == params.end())
      throw std::logic_error(std::string(def.Name) + ": parameter not bound: " + param.Name);
    if (!KindMatches(param.Kind, found->second))
      throw std::logic_error(std::string(def.Name) + ": wrong kind of value for " + param.Name);
    QVariant value = found->second;
    if (param.Kind == TParamKind::DateTime) value = FormatDateTime(value.toDateTime());
    query.bindValue(QLatin1Char(':') + QLatin1String(param.Name), value);
  }
  return query;
}

void TLocalStore::Execute(TStoreStatement statement, const TStoreParams &params) {
  QSqlQuery query = Prepare(statement, params);
  const bool isDelete = StatementDef(statement).Lines.value(0).startsWith(QLatin1String("DELETE"));
  if (!query.exec()) throw TStoreError(ErrorMessage(query.lastError(), isDelete));
  query.finish();
  ScheduleCheckpoint();
}

void TLocalStore::ScheduleCheckpoint() {
  // A writer that never pauses still gets its log folded in now and then,
  // so that the log stays small.
  if (++FWritesSinceCheckpoint >= kMostWritesBeforeCheckpoint) {
    Checkpoint();
    return;
  }
  if (!FCheckpointTimer) {
    FCheckpointTimer = std::make_unique<QTimer>();
    FCheckpointTimer->setSingleShot(true);
    FCheckpointTimer->setInterval(kCheckpointPauseMs);
    QObject::connect(FCheckpointTimer.get(), &QTimer::timeout, [this] { Checkpoint(); });
  }
  FCheckpointTimer->start();
}

void TLocalStore::Checkpoint() {
  if (FCheckpointTimer) FCheckpointTimer->stop();
  FWritesSinceCheckpoint = 0;
  if (!IsOpen()) return;
  // A passive checkpoint waits for no reader; whatever it cannot fold in
  // now, the next one will. Its failure loses nothing: the log keeps it.
  QSqlQuery query(QSqlDatabase::database(FConnectionName, false));
  query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
  query.finish();
}

TStoreRows TLocalStore::Select(TStoreStatement statement, const TStoreParams &params) {
  QSqlQuery query = Prepare(statement, params);
  if (!query.exec()) throw TStoreError(ErrorMessage(query.lastError(), false));
  std::vector<QSqlRecord> rows;
  while (query.next()) rows.push_back(query.record());
  if (query.lastError().isValid()) throw TStoreError(ErrorMessage(query.lastError(), false));
  query.finish();
  return TStoreRows(std::move(rows));
}
