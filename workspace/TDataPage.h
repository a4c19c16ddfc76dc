#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QTreeWidgetItem;
class TQueryPage;
class TSettingsCache;
class TXGridView;
class TWebService;
class TfrmParameters;
struct TStatementEffect;

// The "Données" page: the rows of a table (or of the table of a column),
// or of a saved query once its parameters are given, with the count or the
// error above them. Nothing is fetched when a node is selected: only when
// the user brings the page forward, or refreshes it.
class TDataPage : public QWidget {
  Q_OBJECT

 public:
  // The saved query's text is the editor's, on the query page; showQueryPage
  // brings that page back when the user gives up the parameters.
  TDataPage(TSettingsCache &settings, TfrmParameters &parameters, const TQueryPage &queryPage,
            std::function<void()> showQueryPage, QWidget *parent = nullptr);

  // Fills the page for the node: a table, a column or a saved query.
  void LoadDatas(QTreeWidgetItem *node);
  // A double click on a row whose first cell is an "http://" address opens
  // it in the browser.
  void lvDatasResultDblClick();

  TXGridView *lvDatasResult() const { return FResult; }
  QLabel *lbDatasInfos() const { return FInfos; }

 private:
  // Asks before a text that changes data goes; true on "Oui".
  bool ConfirmChange(const TStatementEffect &effect);
  // The label tells how many rows the change touched.
  void ShowAffectedRows(const TWebService &ws);

  TSettingsCache &FSettings;
  TfrmParameters &FParameters;
  const TQueryPage &FQueryPage;
  std::function<void()> FShowQueryPage;
  QLabel *FInfos = nullptr;
  TXGridView *FResult = nullptr;
};
