#pragma once

#include <QWidget>

class QLabel;
class TXListView;

// The "Données" page: the rows of a table, or of a saved query, with the
// count (or the error) above them.
class TDataPage : public QWidget {
  Q_OBJECT

 public:
  explicit TDataPage(QWidget *parent = nullptr);

  TXListView *lvDatasResult() const { return FResult; }
  QLabel *lbDatasInfos() const { return FInfos; }

 private:
  QLabel *FInfos = nullptr;
  TXListView *FResult = nullptr;
};
