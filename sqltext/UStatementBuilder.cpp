#include "UStatementBuilder.h"

#include "USqlText.h"

namespace {

// One line per column: two blanks, the column made by `line`, and a comma
// unless it is the last.
template <typename Line>
QString ColumnLines(const QStringList &columns, Line line) {
  QString text;
  for (int i = 0; i < columns.size(); ++i)
    text += QLatin1String("  ") + line(columns[i]) + (i + 1 < columns.size() ? QLatin1String(",\n") : QLatin1String("\n"));
  return text;
}

}  // namespace

QString BuildStatement(TStatementKind kind, const QString &table, const QStringList &columns) {
  const QString tableLine = QLatin1String("  ") + QuoteSQLName(table) + QLatin1Char('\n');
  switch (kind) {
    case TStatementKind::Select:
      return QLatin1String("SELECT \n") + ColumnLines(columns, QuoteSQLName) + QLatin1String("FROM \n") + tableLine;
    case TStatementKind::Insert:
      return QLatin1String("INSERT INTO \n") + tableLine + QLatin1String("(\n") + ColumnLines(columns, QuoteSQLName) +
             QLatin1String(")\nVALUES\n(\n") +
             ColumnLines(columns, [](const QString &) { return QStringLiteral("''"); }) + QLatin1String(")\n");
    case TStatementKind::Update:
      return QLatin1String("UPDATE \n") + tableLine + QLatin1String("SET\n") +
             ColumnLines(columns, [](const QString &c) { return QuoteSQLName(c) + QLatin1String("=''"); });
    case TStatementKind::Delete:
      return QLatin1String("DELETE FROM\n") + tableLine;
  }
  return {};
}
