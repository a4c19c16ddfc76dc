// How long a database of 10,000 tables takes to show: from selecting its
// "Tables" folder to the list and the tree filled and painted, and a header
// click that sorts the list, measured beside curl fetching the same answer
// from the same loopback server.
#include "RecordingServer.h"
#include "TLocalStore.h"
#include "TXListView.h"
#include "TfrmMain.h"
#include "UStoreRecords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray TableStatusAnswer(int tables) {
  QByteArray answer =
      "Name\tEngine\tVersion\tRow_format\tRows\tAvg_row_length\tData_length\tMax_data_length\tIndex_length\t"
      "Data_free\tAuto_increment\tCreate_time\tUpdate_time\tCheck_time\tCollation\tChecksum\tCreate_options\t"
      "Comment\tMax_index_length\tTemporary\n";
  for (int i = 0; i < tables; ++i) {
    answer += "table_" + QByteArray::number((i * 7919) % tables) + "_donnees\tInnoDB\t10\tDynamic\t" +
              QByteArray::number(i * 13 % 100000) + "\t" + QByteArray::number(100 + i % 50) + "\t" +
              QByteArray::number(16384 * (1 + i % 40)) + "\t0\t" + QByteArray::number(i % 3 * 16384) +
              "\t0\t" + QByteArray::number(i + 1) + "\t2026-0" + QByteArray::number(1 + i % 9) +
              "-1" + QByteArray::number(i % 10) + " 10:2" + QByteArray::number(i % 10) +
              ":00\tNULL\tNULL\tutf8mb4_general_ci\tNULL\t\t\t0\tN\n";
  }
  return answer;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int tables = 10000;
  const int runs = 5;
  const QByteArray answer = TableStatusAnswer(tables);
  RecordingServer server;
  QTemporaryDir dir;
  const QString storePath = dir.filePath(QStringLiteral("vantrel.adb"));
  {
    TLocalStore store;
    store.Open(storePath);
    InsertConnection(store, {QStringLiteral("Grosse base"), server.Url(), QStringLiteral("localhost"),
                             QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("b")});
  }

  std::vector<double> curlTimes, showTimes, sortNameTimes, sortSizeTimes;
  for (int run = 0; run < runs; ++run) {
    server.Enqueue(RecordingServer::Ok(answer));
    QElapsedTimer curlTimer;
    curlTimer.start();
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                        QStringLiteral("--data"), QStringLiteral("WS_service=SQL&WS_query=show+table+status"),
                                        server.Url() + QStringLiteral("/ws.php?1")});
    if (!curl.waitForFinished(30000) || curl.exitCode() != 0) {
      std::fprintf(stderr, "curl failed\n");
      return 1;
    }
    curlTimes.push_back(curlTimer.nsecsElapsed() / 1e6);

    TfrmMain main(storePath);
    if (!main.FormCreate()) return 1;
    main.resize(1000, 700);
    main.show();
    QApplication::processEvents();
    QTreeWidgetItem *folder = main.tvDB->topLevelItem(0)->child(0)->child(0);
    server.Enqueue(RecordingServer::Ok(answer));
    QElapsedTimer timer;
    timer.start();
    main.tvDB->setCurrentItem(folder);
    folder->setExpanded(true);
    main.repaint();
    QApplication::processEvents();
    showTimes.push_back(timer.nsecsElapsed() / 1e6);
    if (main.lvTables->topLevelItemCount() != tables || folder->childCount() != tables) {
      std::fprintf(stderr, "the list holds %d rows and the tree %d tables\n", main.lvTables->topLevelItemCount(),
                   folder->childCount());
      return 1;
    }

    timer.restart();
    main.lvTables->ColumnClicked(1);  // "Nom"
    main.lvTables->repaint();
    sortNameTimes.push_back(timer.nsecsElapsed() / 1e6);
    timer.restart();
    main.lvTables->ColumnClicked(3);  // "Taille"
    main.lvTables->repaint();
    sortSizeTimes.push_back(timer.nsecsElapsed() / 1e6);
  }

  const double curl = Median(curlTimes);
  std::printf("answer: %d tables, %lld bytes; medians of %d runs\n", tables, qlonglong(answer.size()), runs);
  std::printf("curl fetching the answer          %8.1f ms\n", curl);
  std::printf("selecting Tables: list and tree   %8.1f ms  (%.1f x curl)\n", Median(showTimes), Median(showTimes) / curl);
  std::printf("header click on \"Nom\"             %8.1f ms\n", Median(sortNameTimes));
  std::printf("header click on \"Taille\"          %8.1f ms\n", Median(sortSizeTimes));
  return 0;
}
