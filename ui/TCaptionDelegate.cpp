#include "TCaptionDelegate.h"

#include <QLineEdit>

QWidget *TCaptionDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const {
  if (index.column() != 0) return nullptr;
  return QStyledItemDelegate::createEditor(parent, option, index);
}

void TCaptionDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const {
  QStyledItemDelegate::setModelData(editor, model, index);
  const auto *line = qobject_cast<QLineEdit *>(editor);
  emit Edited(index, line ? line->text() : index.data(Qt::EditRole).toString());
}
