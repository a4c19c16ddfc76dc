#pragma once

#include "TNavigatorWidgets.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class QDateTime;
class QTreeWidgetItem;

// The right-hand side of the main window: which pages a node shows, the path
// bar, and the lists that describe the node.
class TObjectLists : public QObject {
  Q_OBJECT

 public:
  TObjectLists(const TNavigatorWidgets &widgets, QObject *parent = nullptr);

  // Asks the next UpdatePages to show the page.
  void Mark(QWidget *page);
  // Shows the marked pages, hides the others, activates the first shown.
  void UpdatePages();
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

  // A date of the local store as the user's locale writes it: short date,
  // then the time with seconds, left out at exactly midnight.
  static QString StoreDateText(const QDateTime &value);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  TNavigatorWidgets W;
  QSet<QWidget *> FMarked;
  std::function<void()> FRunSelectGene;
};
