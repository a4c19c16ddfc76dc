// The peak memory of the web service client holding one answer, whatever
// its shape: the process's peak resident size (VmHWM) after each step.
//
//   bench_answers URL core|grid
//
// core: Execute, then a walk of every row reading its first 16 values and
// its last, then every field name's bytes, then the table that the grid
// loader asks for.
// grid: FillListView into a grid, as the data page does, in a window that
// is never shown (nothing is painted).
//
// The last line sums it up: peak_mib=P.
#include "BenchProcess.h"
#include "TAnswerTable.h"
#include "TWebService.h"
#include "TXGridView.h"
#include "UGridLoader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>

#include <algorithm>
#include <cstdio>

namespace {

// A field of /proc/self/status, in MiB.
double StatusMiB(const char *field) { return ProcessStatusBytes(field) / 1048576.0; }

QElapsedTimer gClock;

void Step(const char *what) {
  std::printf("%-28s VmHWM %8.1f MiB  VmRSS %8.1f MiB  %6.1f s\n", what, StatusMiB("VmHWM:"), StatusMiB("VmRSS:"),
              gClock.elapsed() / 1000.0);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietBenchMessages);
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3 || (args[2] != QLatin1String("core") && args[2] != QLatin1String("grid"))) {
    std::fprintf(stderr, "usage: bench_answers URL core|grid\n");
    return 2;
  }
  TWebService ws;
  ws.Settings.WebServer = args[1];
  ws.Service = QStringLiteral("SQL");
  gClock.start();
  Step("start");

  if (args[2] == QLatin1String("core")) {
    ws.Execute(QStringLiteral("SELECT * FROM t"));
    if (!ws.ErrorText.isEmpty()) {
      std::fprintf(stderr, "bench: %s\n", qPrintable(ws.ErrorText));
      return 1;
    }
    Step("Execute");
    // Every row, as a reader that builds no strings does: its first 16
    // values and its last (every value of every row would be millions
    // times millions of reads for a wide header over many rows).
    qint64 valueBytes = 0;
    const int fields = ws.FieldCount();
    for (; !ws.Eof(); ws.Next()) {
      for (int i = 0; i < std::min(fields, 16); ++i) valueBytes += ws.GetValueView(i).size();
      if (fields > 16) valueBytes += ws.GetValueView(fields - 1).size();
    }
    Step("walk of every row");
    qint64 nameBytes = 0;
    for (int i = 0; i < fields; ++i) nameBytes += ws.FieldNameView(i).size();
    Step("every field name");
    const std::shared_ptr<const TAnswerTable> table = ws.Table(16);
    Step("table, 16 longest");
    std::printf("fields %d, rows %d, value bytes %lld, name bytes %lld, table rows %d\n", fields,
                ws.RecordCount(), valueBytes, nameBytes, table->RowCount());
  } else {
    QWidget window;
    auto *label = new QLabel(&window);
    auto *grid = new TXGridView(&window);
    FillListView(ws, grid, label, QStringLiteral("SELECT * FROM t"));
    Step("FillListView");
    std::printf("grid: %d columns, %d rows; label: %s\n", grid->ColumnCount(), grid->RowCount(),
                qPrintable(label->text().left(200)));
  }
  std::printf("peak_mib=%.1f\n", StatusMiB("VmHWM:"));
  return 0;
}
