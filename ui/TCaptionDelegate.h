#pragma once

#include <QStyledItemDelegate>

// Edits a row's caption in place, and only its caption (the first column):
// the other columns of a list are what the program shows, not what the user
// names. Reports every edit the user accepts, once, after it has reached
// the list; an edit left with Escape reports nothing.
class TCaptionDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const override;
  void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

 signals:
  void Edited(const QModelIndex &index, const QString &text) const;
};
