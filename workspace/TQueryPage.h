#pragma once

#include <QWidget>

class QMenu;
class QsciScintilla;
class TXListView;

// The "Requête" page: the SQL editor of one saved query and, on its left,
// the assistant with the connection's tables and a table's columns.
class TQueryPage : public QWidget {
  Q_OBJECT

 public:
  explicit TQueryPage(QWidget *parent = nullptr);

  // Shows a saved query's text from scratch: the caret at the start, no
  // history to undo into another query, no bookmarks.
  void LoadQueryText(const QString &text);
  // The editor's whole text.
  QString Text() const;

  QsciScintilla *mQuery() const { return FEditor; }

 private:
  QWidget *FAssist = nullptr;
  TXListView *FTables = nullptr;
  TXListView *FFields = nullptr;
  QMenu *FAssistMenu = nullptr;
  QsciScintilla *FEditor = nullptr;
};
