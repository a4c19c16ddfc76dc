#pragma once

class QMenu;
class QTabWidget;
class QTreeWidget;
class QWidget;
class QsciScintilla;
class TXListView;

// The main window's parts the navigator works on; the window owns them.
struct TNavigatorWidgets {
  QTreeWidget *tvDB = nullptr;
  QTreeWidget *tvPath = nullptr;
  QTabWidget *PageControl = nullptr;
  QWidget *tsGene = nullptr;
  QWidget *tsTables = nullptr;
  QWidget *tsFields = nullptr;
  QWidget *tsQueries = nullptr;
  QWidget *tsQuery = nullptr;
  QWidget *tsDatas = nullptr;
  TXListView *lvGene = nullptr;
  TXListView *lvTables = nullptr;
  TXListView *lvFields = nullptr;
  TXListView *lvQueries = nullptr;
  QsciScintilla *mQuery = nullptr;
  QMenu *pmDB = nullptr;
  QMenu *pmlvGene = nullptr;
};
