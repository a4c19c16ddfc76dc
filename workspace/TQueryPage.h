#pragma once

#include "UStatementBuilder.h"

#include <QWidget>

class QMenu;
class QSplitter;
class QTreeWidgetItem;
class QsciScintilla;
class TExpandPanel;
class TLocalStore;
class TSettingsCache;
class TXListView;

// The "Requête" page: the SQL editor of one saved query, which saves every
// change at once, and on its left the assistant with the connection's
// tables and a table's columns, whose menu writes statements for a table.
class TQueryPage : public QWidget {
  Q_OBJECT

 public:
  TQueryPage(TLocalStore &store, TSettingsCache &settings, QWidget *parent = nullptr);

  // Opens a saved query: the assistant folds at once, and the editor shows
  // the text from scratch (caret at the start, no history to undo into
  // another query, no bookmarks); loading it is no change and saves nothing.
  void LoadQueryText(qint64 queryKey, qint64 connectionKey, const QString &text);
  // The editor's whole text.
  QString Text() const;

  // Saves the whole text with a new modification date, after every change
  // the user makes.
  void mQueryChange();
  // The assistant has unfolded: its tables are read again, the first one
  // is selected and its columns are read.
  void pnAssistExpanded();
  // The selected table of the assistant changed (or none is selected).
  void lvTablesForAssistChange(QTreeWidgetItem *item);
  // Writes a statement for the selected table at the caret, in place of the
  // selection, as one edit the user can undo.
  void mnuBuildClick(TStatementKind kind);

  QsciScintilla *mQuery() const { return FEditor; }
  TExpandPanel *pnAssist() const { return FAssist; }

 private:
  void CreateEditor();
  void CreateAssistant();
  void UpdateLineNumbers();
  bool SaveQueryText();

  TLocalStore &FStore;
  TSettingsCache &FSettings;
  TExpandPanel *FAssist = nullptr;
  QSplitter *FAssistSplitter = nullptr;
  TXListView *FTables = nullptr;
  TXListView *FFields = nullptr;
  QMenu *FAssistMenu = nullptr;
  QsciScintilla *FEditor = nullptr;

  qint64 FQueryKey = 0;
  qint64 FConnectionKey = 0;
  bool FLoading = false;      // the program itself is putting a text in
  bool FGrouping = false;     // one edit of several steps is under way
  bool FSaveFailed = false;   // the last save failed; said once until one succeeds
  int FLineDigits = 0;
  // The tables list's memory: the table the columns were last read for,
  // and whether the list is being filled (then nothing is read).
  QTreeWidgetItem *FColumnsTable = nullptr;
  bool FFillingTables = false;
};
