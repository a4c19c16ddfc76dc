// UStatementBuilder: the SELECT, INSERT, UPDATE and DELETE statements the
// query assistant writes for a table and its columns.
#pragma once

#include <QString>
#include <QStringList>

enum class TStatementKind { Select, Insert, Update, Delete };

// The statement for the table, one column a line in the order given; every
// line, the last one included, ends with a line feed alone. The names are
// quoted where MySQL needs it (QuoteSQLName). No WHERE clause is written:
// the user writes it.
QString BuildStatement(TStatementKind kind, const QString &table, const QStringList &columns);
