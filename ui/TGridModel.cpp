#include "TGridModel.h"

#include "USortRules.h"

#include <numeric>
#include <utility>

TGridModel::TGridModel(QObject *parent) : QAbstractTableModel(parent) {}

int TGridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : FRowCount; }

int TGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(FCaptions.size());
}

QVariant TGridModel::data(const QModelIndex &index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return QVariant();
  return OneLine(CellText(index.row(), index.column()));
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
  return FCaptions.value(section);
}

Qt::ItemFlags TGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TGridModel::AddColumn(const QString &caption) {
  const int column = int(FCaptions.size());
  beginInsertColumns(QModelIndex(), column, column);
  FCaptions << caption;
  endInsertColumns();
}

void TGridModel::RemoveColumns() {
  if (FCaptions.isEmpty()) return;
  beginRemoveColumns(QModelIndex(), 0, int(FCaptions.size()) - 1);
  FCaptions.clear();
  endRemoveColumns();
}

void TGridModel::SetRows(std::shared_ptr<const TGridSource> rows) {
  // Rows go and come without a reset of the model, which would also take
  // the columns' widths with it.
  if (FRowCount > 0) {
    beginRemoveRows(QModelIndex(), 0, FRowCount - 1);
    FRows.reset();
    FRowCount = 0;
    FOrder.clear();
    endRemoveRows();
  }
  FOrder.clear();
  const int count = rows ? rows->RowCount() : 0;
  if (count <= 0) {
    FRows = std::move(rows);
    return;
  }
  beginInsertRows(QModelIndex(), 0, count - 1);
  FRows = std::move(rows);
  FRowCount = count;
  endInsertRows();
}

QByteArrayView TGridModel::CellBytes(int row, int column, QByteArray &spare) const {
  spare.clear();
  if (!FRows || row < 0 || row >= FRowCount || column < 0) return QByteArrayView();
  return FRows->Cell(SourceRow(row), column, spare);
}

QString TGridModel::CellText(int row, int column) const {
  QByteArray spare;
  return QString::fromLocal8Bit(CellBytes(row, column, spare));
}

bool TGridModel::Sort(int column, int direction) {
  // One key per row, read once: most point into the source itself, the
  // rewritten ones into buffers kept until the sort is done.
  std::vector<QByteArrayView> keys(static_cast<size_t>(FRowCount));
  std::vector<QByteArray> rewritten;
  QByteArray spare;
  for (int row = 0; row < FRowCount; ++row) {
    keys[size_t(row)] = FRows->Cell(row, column, spare);
    if (!spare.isEmpty()) {
      rewritten.push_back(std::move(spare));  // the bytes stay where the key points
      spare = QByteArray();
    }
  }
  std::vector<int> order = FOrder;
  if (order.empty()) {
    order.resize(size_t(FRowCount));
    std::iota(order.begin(), order.end(), 0);
  }
  const bool numbers = USortRules::Sort(order, keys, direction);
  bool moved = false;
  for (int row = 0; row < FRowCount && !moved; ++row) moved = order[size_t(row)] != SourceRow(row);
  if (!moved) return numbers;

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  if (!before.isEmpty()) {
    std::vector<int> shownAt(static_cast<size_t>(FRowCount));
    for (int row = 0; row < FRowCount; ++row) shownAt[size_t(order[size_t(row)])] = row;
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
      after << this->index(shownAt[size_t(SourceRow(index.row()))], index.column());
    changePersistentIndexList(before, after);
  }
  FOrder = std::move(order);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  return numbers;
}

QString TGridModel::OneLine(QString text) {
  for (QChar &c : text) {
    if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
  }
  return text;
}
