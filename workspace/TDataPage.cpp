#include "TDataPage.h"

#include "TXListView.h"

#include <QLabel>
#include <QVBoxLayout>

TDataPage::TDataPage(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tsDatas"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  FInfos = new QLabel(this);
  FInfos->setObjectName(QStringLiteral("lbDatasInfos"));
  FInfos->setAccessibleName(QStringLiteral("Informations sur les données"));
  FInfos->setFixedHeight(20);
  FInfos->setTextFormat(Qt::PlainText);
  QFont bold = FInfos->font();
  bold.setBold(true);
  FInfos->setFont(bold);
  FInfos->setStyleSheet(QStringLiteral("color: navy;"));
  FResult = new TXListView(this);
  FResult->setObjectName(QStringLiteral("lvDatasResult"));
  FResult->setAccessibleName(QStringLiteral("Données"));
  layout->addWidget(FInfos);
  layout->addWidget(FResult, 1);
}
