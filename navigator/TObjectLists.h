#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TXListView;

// The right-hand side of the main window as the navigator sees it: the
// path bar, the four pages that describe a node (general list, tables,
// columns, saved queries), which pages a node shows, and the lists.
// It builds the path bar and its pages; the main window places them.
class TObjectLists : public QObject {
  Q_OBJECT

 public:
  TObjectLists(QTreeWidget *tvDB, QTabWidget *pageControl, QObject *parent = nullptr);
  ~TObjectLists() override;

  QTreeWidget *tvPath() const { return FPath; }
  QWidget *tsGene() const { return FGenePage; }
  QWidget *tsTables() const { return FTablesPage; }
  QWidget *tsFields() const { return FFieldsPage; }
  QWidget *tsQueries() const { return FQueriesPage; }
  TXListView *lvGene() const { return FGene; }
  TXListView *lvTables() const { return FTables; }
  TXListView *lvFields() const { return FFields; }
  TXListView *lvQueries() const { return FQueries; }

  // Asks the next UpdatePages to show the page.
  void Mark(QWidget *page);
  // Shows the marked pages, hides the others, activates the first shown.
  void UpdatePages();
  // Makes the page the active one, as the program does (not the user).
  void ActivatePage(QWidget *page);
  // The chain of nodes from the root down to the node.
  void UpdatePath(QTreeWidgetItem *node);
  // The node's children in the general list; its page takes its name.
  void FillGeneralList(QTreeWidgetItem *node);
  // Fills a list with rows, each with the image, and each referring to the
  // node at the same position in nodes (when given).
  static void FillList(TXListView *list, const QList<QStringList> &rows, int image,
                       const QList<QTreeWidgetItem *> &nodes = {});

  void tvPathClick();
  void actSelectGeneExecute();
  void lvQueriesDblClick();
  // Enter in the general list runs this (the Select action, rule included).
  void SetSelectGeneRunner(std::function<void()> runner) { FRunSelectGene = std::move(runner); }
  // Lists and path nodes must never refer to deleted tree nodes.
  void ForgetNodes(const QSet<QTreeWidgetItem *> &deleted);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void CreateWidgets();

  QTreeWidget *FTree;
  QTabWidget *FPageControl;
  QTreeWidget *FPath = nullptr;
  QWidget *FGenePage = nullptr;
  QWidget *FTablesPage = nullptr;
  QWidget *FFieldsPage = nullptr;
  QWidget *FQueriesPage = nullptr;
  TXListView *FGene = nullptr;
  TXListView *FTables = nullptr;
  TXListView *FFields = nullptr;
  TXListView *FQueries = nullptr;
  QSet<QWidget *> FMarked;
  std::function<void()> FRunSelectGene;
};
