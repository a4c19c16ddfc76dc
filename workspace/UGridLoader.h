// UGridLoader: the one-call way to show the result of any statement in a
// grid, with its row count or error message in a label beside it.
#pragma once

#include <QString>

class QLabel;
class TWebService;
class TXGridView;

// Runs `sql` through `ws` (whose connection settings the caller has
// loaded) and rebuilds the grid with one column per field and one row per
// row of the answer, in the answer's order (sorted by the first column when
// the user has sorted the grid before). The label reads "Chargement..."
// while the request runs, then the row count followed by
// " enregistrement(s)", or the error text; its hint repeats it. A busy
// cursor shows meanwhile (Qt::BusyCursor when ws.Service is "SQL", the
// hourglass otherwise) and the grid does not redraw; both end on every
// path, an exception's too. Each column is as wide as the larger of 50
// pixels and its widest text, caption included, plus 20. An answer with
// rows but no field names shows each row's first value in one column
// captioned "(sans nom)". After a successful request the result set stands
// at its end.
void FillListView(TWebService &ws, TXGridView *listView, QLabel *infoLabel, const QString &sql);
