#include "THeaderTracker.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

#include <utility>

namespace {

// The platform header hands its item text back through a 128-character
// buffer, terminator included: longer captions arrive cut.
constexpr int kHeaderTextMax = 127;

}  // namespace

THeaderTracker::THeaderTracker(QHeaderView *header) : QObject(header), FHeader(header) {
  connect(header, &QHeaderView::sectionResized, this, &THeaderTracker::SectionResized);
  header->viewport()->installEventFilter(this);
}

int THeaderTracker::HeaderItemColumn(const QHeaderView *header, int section) {
  const QAbstractItemModel *model = header->model();
  const int columns = header->count();
  if (model == nullptr || section < 0 || section >= columns) return -1;
  const auto caption = [&](int column) {
    return model->headerData(column, header->orientation(), Qt::DisplayRole).toString();
  };
  const QString full = caption(section);
  const QString text = full.left(kHeaderTextMax);
  if (full == text) return section;
  for (int column = 0; column < columns; ++column)
    if (caption(column) == text) return column;
  return -1;
}

int THeaderTracker::DividerAt(int x) const {
  // The same test as QHeaderView's when a press starts a resize: within the
  // grip margin of a section's end, or of the next section's start.
  const QHeaderView *head = FHeader;
  int visual = head->visualIndexAt(x);
  if (visual < 0) return -1;
  const int logical = head->logicalIndex(visual);
  const int start = head->sectionViewportPosition(logical);
  const int grip = head->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, head);
  bool atStart = x < start + grip;
  bool atEnd = x > start + head->sectionSize(logical) - grip;
  if (head->isRightToLeft()) std::swap(atStart, atEnd);
  if (atStart) {
    while (--visual >= 0) {
      const int previous = head->logicalIndex(visual);
      if (!head->isSectionHidden(previous)) return previous;
    }
    return -1;
  }
  return atEnd ? logical : -1;
}

bool THeaderTracker::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FHeader->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto *mouse = static_cast<QMouseEvent *>(event);
      if (mouse->button() == Qt::LeftButton) {
        FTrackSection = -1;
        const int section = DividerAt(mouse->position().toPoint().x());
        if (section >= 0 && FHeader->sectionResizeMode(section) == QHeaderView::Interactive) {
          FTrackSection = section;
          emit Begin(section, FHeader->sectionSize(section));
        }
      }
    } else if (event->type() == QEvent::MouseButtonRelease) {
      const auto *mouse = static_cast<QMouseEvent *>(event);
      if (mouse->button() == Qt::LeftButton && FTrackSection >= 0) {
        const int section = std::exchange(FTrackSection, -1);
        emit End(section, FHeader->sectionSize(section));
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void THeaderTracker::SectionResized(int section, int /*oldSize*/, int newSize) {
  if (section == FTrackSection) emit Track(section, newSize);
}
