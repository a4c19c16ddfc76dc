#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The fixed statements of the local store. Every read and write of the store
// goes through one of them; nothing is built at run time.
enum class TStoreStatement {
  // Owned by the main window.
  qrySelectDatabases,
  qrySelectDatabase,
  qryInsertDataBase,
  qryDeleteDataBase,
  qrySelectQueries,
  qrySelectQuerySQL,
  qryInsertQuery,
  qryDeleteQuery,
  qryUpdateQueryTitle,
  qryUpdateQuerySQL,
  qryUpdateDataBase,
  qryUpgradeDataBase1,
  qryUpgradeDataBase2,
  // Owned by the parameters dialog, run on the same connection.
  qrySelectParameter,
  qryDeleteParameter,
  qryInsertParameter,
};

enum class TParamKind { Integer, Text, DateTime };

struct TStatementParam {
  const char *Name;
  TParamKind Kind;
};

struct TStatementDef {
  TStoreStatement Id;
  const char *Name;
  bool ReturnsRows;
  std::vector<TStatementParam> Params;  // in binding order
  QStringList Lines;                    // each is followed by a line break in the text
};

// Every statement, in declaration order.
const std::vector<TStatementDef> &AllStatements();
const TStatementDef &StatementDef(TStoreStatement id);
// The statement's text: its lines, each followed by a line feed.
QString StatementText(TStoreStatement id);
