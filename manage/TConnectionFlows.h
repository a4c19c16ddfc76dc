#pragma once

#include <QObject>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class TLocalStore;
class TNavigator;
class TWebService;
class TXListView;
class TfrmDBProperties;

// Creating, editing and deleting connections from the main window.
class TConnectionFlows : public QObject {
  Q_OBJECT

 public:
  struct TParts {
    TfrmDBProperties *Dialog = nullptr;
    TLocalStore *Store = nullptr;
    TWebService *WebService = nullptr;
    TNavigator *Navigator = nullptr;
    QTreeWidget *tvDB = nullptr;
    TXListView *lvGene = nullptr;
    std::function<void()> Refresh;  // runs the refresh action
  };

  explicit TConnectionFlows(TParts parts, QObject *parent = nullptr);

  void actNewConnectExecute();
  void actEditConnectExecute();
  void actDeleteConnectExecute();
  // The connection the edit and delete act on: the selected node, or with
  // the root selected, the connection chosen in the general list.
  QTreeWidgetItem *TargetConnection() const;

 private:
  void SelectAndRefresh(QTreeWidgetItem *node);
  TParts P;
};
