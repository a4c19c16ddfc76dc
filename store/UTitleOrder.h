// UTitleOrder: the order in which titles of connections and saved queries
// are listed, as a French reader expects it: letters before their accents,
// accents before case ("abricot", "Banque", "École", "Été", "zoo"), where
// SQLite's own NOCASE folds ASCII only and puts "École" after "Zoo".
#pragma once

#include <QString>

struct sqlite3;

// Negative, zero or positive as a sorts before, with or after b. Equal only
// for equal texts, so that the order is total and stable across runs.
int CompareTitles(const QString &a, const QString &b);

// Makes the connection's NOCASE collation (the one the store's title
// columns declare) compare with CompareTitles. The file itself still
// declares the standard NOCASE, so that any SQLite tool reads it; no index
// of the store uses that collation, so nothing stored depends on the order.
// Returns false when SQLite refuses.
bool InstallTitleOrder(sqlite3 *handle);
