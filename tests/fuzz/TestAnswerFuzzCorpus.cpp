// The fuzz target's seed corpus replayed in the ordinary build, each answer
// arriving in every way the target knows: the answer format's rules hold
// without libFuzzer too, and the target itself keeps building. A reading
// that differs aborts this test with what differed.

#include "FuzzAnswer.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestAnswerFuzzCorpus : public QObject {
  Q_OBJECT

 private slots:
  void corpus_data() {
    QTest::addColumn<QByteArray>("input");
    const QDir dir(QStringLiteral(VANTREL_FUZZ_CORPUS));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    if (files.isEmpty()) qFatal("no seed in %s", VANTREL_FUZZ_CORPUS);
    for (const QString &name : files) {
      QFile file(dir.filePath(name));
      if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(file.fileName()));
      const QByteArray answer = file.readAll().mid(1);
      // The first byte: the pieces' size and whether the size is reserved.
      for (int way = 0; way < 32; ++way)
        QTest::addRow("%s, way %d", qPrintable(name), way) << char(way) + answer;
    }
  }

  void corpus() {
    QFETCH(QByteArray, input);
    QCOMPARE(FuzzAnswer(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())), 0);
  }
};

QTEST_GUILESS_MAIN(TestAnswerFuzzCorpus)
#include "TestAnswerFuzzCorpus.moc"
