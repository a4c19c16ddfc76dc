// The data page's grid against large answers: the wall time from
// FillListView's call to the first painted page of rows, alternating with
// curl fetching the same bytes from the same loopback server; the peak
// memory the call adds, as a multiple of the answer's size; and a header
// click that sorts the 100,000-row result.
//
//   bench_datapage --answer ROWS FILE PORT [--answer ROWS FILE PORT] [--runs N]
//
// Each answer is served by bench/webservice/answer_server on PORT. The
// last line sums it up: ratio_100k=R1 ratio_1m=R2 added_memory_x=M
// sort_100k_s=S.
#include "BenchProcess.h"
#include "TWebService.h"
#include "TXGridView.h"
#include "UGridLoader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const char kStatement[] = "SELECT * FROM commandes";
const char kForm[] = "WS_service=SQL&WS_query=SELECT+*+FROM+commandes";

struct Answer {
  int rows = 0;
  QString file;
  QString url;
  qint64 bytes = 0;
  std::vector<double> curlMs;
  std::vector<double> fillMs;
  double addedBytes = 0;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Resets the peak resident size to the present one.
bool ResetPeak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

double CurlMs(const QString &url) {
  QElapsedTimer timer;
  timer.start();
  QProcess curl;
  curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                                      QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("--data"),
                                      QString::fromLatin1(kForm), url + QStringLiteral("/ws.php?1")});
  if (!curl.waitForFinished(120000) || curl.exitCode() != 0) {
    std::fprintf(stderr, "bench: curl failed on %s\n", qPrintable(url));
    std::exit(1);
  }
  return timer.nsecsElapsed() / 1e6;
}

// The data page in small: the count label over the grid, in a real window.
// Counts the paintings of the grid's rows.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

struct Page {
  PaintCounter counter;
  QWidget window;
  QLabel *label;
  TXGridView *grid;

  Page() : label(new QLabel(&window)), grid(new TXGridView(&window)) {
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(label);
    layout->addWidget(grid, 1);
    window.resize(1100, 700);
    grid->viewport()->installEventFilter(&counter);
  }
};

// One FillListView, from its call to the first page of rows painted, with
// a client of its own that it closes after (so that curl, next, finds the
// single-connection server free).
double FillMs(Page &page, const Answer &answer) {
  TWebService ws;
  ws.Settings.WebServer = answer.url;
  ws.Service = QStringLiteral("SQL");
  QElapsedTimer timer;
  timer.start();
  FillListView(ws, page.grid, page.label, QString::fromLatin1(kStatement));
  // The event loop paints the page as it would for the user. (FillListView
  // has painted the emptied grid before its request.)
  const int paintsBefore = page.counter.paints;
  while (page.counter.paints == paintsBefore && timer.elapsed() < 60000) QApplication::processEvents();
  const double ms = timer.nsecsElapsed() / 1e6;
  if (page.grid->RowCount() != answer.rows || page.counter.paints == paintsBefore || !ws.ErrorText.isEmpty()) {
    std::fprintf(stderr, "bench: the grid shows %d rows of %d (%s)\n", page.grid->RowCount(), answer.rows,
                 qPrintable(page.label->text()));
    std::exit(1);
  }
  return ms;
}

// The answer as the grid shows it: every row, the escapes undone.
void CheckRows(const Page &page, const Answer &answer) {
  const TXGridView &grid = *page.grid;
  const bool ok = grid.ColumnCount() == 10 && grid.CellText(0, 0) == QLatin1String("1") &&
                  grid.CellText(answer.rows - 1, 0) == QString::number(answer.rows) &&
                  grid.CellText(6, 9).contains(QLatin1Char('\n')) && grid.CellText(6, 9).contains(QLatin1Char('\t'));
  if (!ok) {
    std::fprintf(stderr, "bench: the grid does not show the answer\n");
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietBenchMessages);
  QApplication app(argc, argv);
  std::vector<Answer> answers;
  int runs = 5;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--answer") && i + 3 < args.size()) {
      Answer answer;
      answer.rows = args[i + 1].toInt();
      answer.file = args[i + 2];
      answer.url = QStringLiteral("http://127.0.0.1:") + args[i + 3];
      answer.bytes = QFileInfo(answer.file).size();
      answers.push_back(answer);
      i += 3;
    } else if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) {
      runs = std::max(1, args[++i].toInt());
    } else {
      std::fprintf(stderr, "usage: bench_datapage --answer ROWS FILE PORT [--answer ...] [--runs N]\n");
      return 2;
    }
  }

  Page page;
  page.window.show();
  QApplication::processEvents();

  std::vector<double> sortMs[3];
  const int sortColumns[3] = {2, 5, 9};  // client (texts), amount (numbers), note (escaped texts)
  for (Answer &answer : answers) {
    // Once each before measuring, and a look at what the grid shows.
    CurlMs(answer.url);
    FillMs(page, answer);
    CheckRows(page, answer);

    // The memory the call adds, from a page and a process that hold no
    // answer: the answer itself, the rows' places, the view's share.
    page.grid->Clear();
    QApplication::processEvents();
    ReleaseFreedMemory();
    const qint64 before = ProcessStatusBytes("VmRSS:");
    if (before < 0 || !ResetPeak()) {
      std::fprintf(stderr, "bench: no peak memory from /proc/self\n");
      return 1;
    }
    FillMs(page, answer);
    answer.addedBytes = double(ProcessStatusBytes("VmHWM:") - before);

    for (int run = 0; run < runs; ++run) {
      answer.curlMs.push_back(CurlMs(answer.url));
      answer.fillMs.push_back(FillMs(page, answer));
      if (answer.rows != 100000) continue;
      // Header clicks on the 100,000 rows just shown, each repainted.
      for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        page.grid->ColumnClicked(sortColumns[i]);
        page.grid->viewport()->repaint();
        sortMs[i].push_back(timer.nsecsElapsed() / 1e6);
      }
      // Back to the answer's order for the next fills, which would come
      // sorted otherwise.
      page.grid->SetSortType(TXGridView::stNone);
    }
  }

  double ratio100k = 0;
  double ratio1m = 0;
  double memory = 0;
  std::printf("%d runs each, alternating with curl; medians\n", runs);
  for (const Answer &answer : answers) {
    const double curl = Median(answer.curlMs);
    const double fill = Median(answer.fillMs);
    const double ratio = fill / curl;
    const double added = answer.addedBytes / double(answer.bytes);
    std::printf("%8d rows, %6.1f MB: curl %7.1f ms, FillListView to the first painted page %7.1f ms: "
                "%.2f x curl; added peak memory %6.1f MB, %.2f x the answer\n",
                answer.rows, answer.bytes / 1e6, curl, fill, ratio, answer.addedBytes / 1e6, added);
    if (answer.rows == 100000) ratio100k = ratio;
    if (answer.rows == 1000000) ratio1m = ratio;
    memory = std::max(memory, added);
  }
  double sort = 0;
  if (!sortMs[0].empty()) {
    std::printf("header click on 100,000 rows: client %.1f ms, amount %.1f ms, note %.1f ms\n", Median(sortMs[0]),
                Median(sortMs[1]), Median(sortMs[2]));
    sort = std::max({Median(sortMs[0]), Median(sortMs[1]), Median(sortMs[2])}) / 1000;
  }
  std::printf("targets: ratio_100k <= 1.5, ratio_1m <= 2, added_memory_x < 3, sort_100k_s < 0.3\n");
  std::printf("ratio_100k=%.2f ratio_1m=%.2f added_memory_x=%.2f sort_100k_s=%.3f\n", ratio100k, ratio1m, memory,
              sort);
  return 0;
}
