#include "TStoreStatements.h"

#include <stdexcept>

namespace {

using K = TParamKind;
using S = TStoreStatement;

std::vector<TStatementDef> BuildStatements() {
  return {
      {S::qrySelectDatabases, "qrySelectDatabases", true, {},
       {"SELECT", "  PK_DATABASE,", "  TITRE", "FROM", "  T_DATABASE", "ORDER BY TITRE"}},
      {S::qrySelectDatabase, "qrySelectDatabase", true, {{"PK_DATABASE", K::Integer}},
       {"SELECT", "  SERVEUR_WEB,", "  SERVEUR_MYSQL,", "  COMPTE_MYSQL, ", "  MDP_MYSQL,",
        "  BASE_DE_DONNEES", "FROM", "  T_DATABASE", "WHERE", "  PK_DATABASE=:PK_DATABASE"}},
      {S::qryInsertDataBase, "qryInsertDataBase", false,
       {{"TITRE", K::Text}, {"SERVEUR_WEB", K::Text}, {"SERVEUR_MYSQL", K::Text},
        {"COMPTE_MYSQL", K::Text}, {"MDP_MYSQL", K::Text}, {"BASE_DE_DONNEES", K::Text}},
       {"INSERT INTO", "  T_DATABASE", "(", "  TITRE,", "  SERVEUR_WEB,", "  SERVEUR_MYSQL,",
        "  COMPTE_MYSQL, ", "  MDP_MYSQL,", "  BASE_DE_DONNEES", ")", "VALUES", "(", "  :TITRE,",
        "  :SERVEUR_WEB,", "  :SERVEUR_MYSQL,", "  :COMPTE_MYSQL,", "  :MDP_MYSQL,",
        "  :BASE_DE_DONNEES", ")", ""}},
      {S::qryDeleteDataBase, "qryDeleteDataBase", false, {{"PK_DATABASE", K::Integer}},
       {"DELETE FROM", "  T_DATABASE", "WHERE", "  PK_DATABASE=:PK_DATABASE"}},
      {S::qrySelectQueries, "qrySelectQueries", true, {{"FK_DATABASE", K::Integer}},
       {"SELECT", "  PK_REQUETE,", "  TITRE,", "  DATE_CREATION,", "  DATE_MODIFICATION", "FROM",
        "  T_REQUETE", "WHERE", "   FK_DATABASE=:FK_DATABASE", "ORDER BY TITRE", ""}},
      {S::qrySelectQuerySQL, "qrySelectQuerySQL", true, {{"PK_REQUETE", K::Integer}},
       {"SELECT", "  REQUETE", "FROM", "  T_REQUETE", "WHERE", "   PK_REQUETE=:PK_REQUETE", ""}},
      {S::qryInsertQuery, "qryInsertQuery", false,
       {{"FK_DATABASE", K::Integer}, {"TITRE", K::Text}, {"DATE_CREATION", K::DateTime}},
       {"INSERT INTO", "  T_REQUETE", "(", "  FK_DATABASE,", "  TITRE,", "  DATE_CREATION", ")",
        "VALUES", "(", "  :FK_DATABASE,", "  :TITRE,", "  :DATE_CREATION", ")"}},
      {S::qryDeleteQuery, "qryDeleteQuery", false, {{"PK_REQUETE", K::Integer}},
       {"DELETE FROM", "  T_REQUETE", "WHERE", "   PK_REQUETE=:PK_REQUETE"}},
      {S::qryUpdateQueryTitle, "qryUpdateQueryTitle", false,
       {{"TITRE", K::Text}, {"DATE_MODIFICATION", K::DateTime}, {"PK_REQUETE", K::Integer}},
       {"UPDATE", "  T_REQUETE", "SET", "  TITRE=:TITRE,", "  DATE_MODIFICATION=:DATE_MODIFICATION",
        "WHERE", "   PK_REQUETE=:PK_REQUETE"}},
      {S::qryUpdateQuerySQL, "qryUpdateQuerySQL", false,
       {{"REQUETE", K::Text}, {"DATE_MODIFICATION", K::DateTime}, {"PK_REQUETE", K::Integer}},
       {"UPDATE", "  T_REQUETE", "SET", "  REQUETE=:REQUETE,",
        "  DATE_MODIFICATION=:DATE_MODIFICATION", "WHERE", "   PK_REQUETE=:PK_REQUETE"}},
      {S::qryUpdateDataBase, "qryUpdateDataBase", false,
       {{"TITRE", K::Text}, {"SERVEUR_WEB", K::Text}, {"SERVEUR_MYSQL", K::Text},
        {"COMPTE_MYSQL", K::Text}, {"MDP_MYSQL", K::Text}, {"BASE_DE_DONNEES", K::Text},
        {"PK_DATABASE", K::Integer}},
       {"UPDATE", "  T_DATABASE", "SET", "  TITRE=:TITRE,", "  SERVEUR_WEB=:SERVEUR_WEB,",
        "  SERVEUR_MYSQL=:SERVEUR_MYSQL,", "  COMPTE_MYSQL=:COMPTE_MYSQL,", "  MDP_MYSQL=:MDP_MYSQL,",
        "  BASE_DE_DONNEES=:BASE_DE_DONNEES", "WHERE", "  PK_DATABASE=:PK_DATABASE", "", ""}},
      {S::qryUpgradeDataBase1, "qryUpgradeDataBase1", false, {},
       {"ALTER TABLE T_DATABASE ADD COLUMN  SERVEUR_MYSQL TEXT(80)"}},
      {S::qryUpgradeDataBase2, "qryUpgradeDataBase2", false, {},
       {"UPDATE ", "  T_DATABASE ", "  SET  SERVEUR_MYSQL='localhost'", "WHERE",
        "  SERVEUR_MYSQL is NULL"}},
      {S::qrySelectParameter, "qrySelectParameter", true,
       {{"FK_DATABASE", K::Integer}, {"NOM", K::Text}},
       {"SELECT", "  VALEUR", "FROM", "  T_PARAMETRE", "WHERE", "  FK_DATABASE=:FK_DATABASE", "AND",
        "  NOM=:NOM"}},
      {S::qryDeleteParameter, "qryDeleteParameter", false,
       {{"FK_DATABASE", K::Integer}, {"NOM", K::Text}},
       {"DELETE", "FROM", "  T_PARAMETRE", "WHERE", "  FK_DATABASE=:FK_DATABASE", "AND",
        "  NOM=:NOM"}},
      {S::qryInsertParameter, "qryInsertParameter", false,
       {{"FK_DATABASE", K::Integer}, {"NOM", K::Text}, {"VALEUR", K::Text}},
       {"INSERT INTO", "  T_PARAMETRE", "(", " FK_DATABASE,", " NOM,", " VALEUR", ")", "VALUES", "(",
        " :FK_DATABASE,", " :NOM,", " :VALEUR", ")"}},
  };
}

}  // namespace

const std::vector<TStatementDef> &AllStatements() {
  static const std::vector<TStatementDef> statements = BuildStatements();
  return statements;
}

const TStatementDef &StatementDef(TStoreStatement id) {
  for (const TStatementDef &def : AllStatements())
    if (def.Id == id) return def;
  throw std::logic_error("unknown store statement");
}

QString StatementText(TStoreStatement id) {
  QString text;
  for (const QString &line : StatementDef(id).Lines) text += line + QLatin1Char('\n');
  return text;
}
