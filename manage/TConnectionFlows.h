#pragma once

#include <QObject>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class TLocalStore;
class TSettingsCache;
class TXListView;
class TfrmDBProperties;

// Creating, editing and deleting connections from the main window.
class TConnectionFlows : public QObject {
  Q_OBJECT

 public:
  // refresh runs the refresh action.
  TConnectionFlows(TfrmDBProperties &dialog, TLocalStore &store, TSettingsCache &settings, QTreeWidget *tvDB,
                   TXListView *lvGene, std::function<void()> refresh, QObject *parent = nullptr);

  void actNewConnectExecute();
  void actEditConnectExecute();
  void actDeleteConnectExecute();
  // The connection the edit and delete act on: the selected node, or with
  // the root selected, the connection chosen in the general list.
  QTreeWidgetItem *TargetConnection() const;

 private:
  void SelectAndRefresh(QTreeWidgetItem *node);

  TfrmDBProperties &FDialog;
  TLocalStore &FStore;
  TSettingsCache &FSettings;
  QTreeWidget *FTree;
  TXListView *FGene;
  std::function<void()> FRefresh;
};
