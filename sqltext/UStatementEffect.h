// UStatementEffect: what a SQL text would do to the database if it were
// sent, read from its words as MySQL reads them (strings, quoted names and
// comments are not words), so that a text that changes data is never sent
// without the user's word.
//
// Headless (Qt Core only). The text is bytes in the user's 8-bit encoding.
#pragma once

#include <QByteArray>

struct TStatementEffect {
  // Every statement of the text only reads: SELECT, SHOW, DESCRIBE, DESC,
  // EXPLAIN (not EXPLAIN ANALYZE of a change, which runs it), a WITH that
  // leads to a SELECT. An empty text reads nothing and changes nothing.
  bool ReadOnly = true;
  // An UPDATE of the text has no WHERE clause of its own (one inside a
  // subquery does not count): it changes every row of its table.
  bool UpdateWithoutWhere = false;
  // The same for a DELETE: it deletes every row.
  bool DeleteWithoutWhere = false;
};

// The effect of a text that may hold several statements (separated by
// semicolons outside strings and comments).
TStatementEffect StatementEffect(const QByteArray &text);
