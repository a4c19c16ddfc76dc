#pragma once

#include "TSqlOptions.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdio>
#include <optional>
#include <string>

class TWebService;

// Writes a result set as text: tsv (the answer's own escapes, lines ending
// with a line feed) or csv (RFC 4180, values as they are, CR LF line ends).
class TResultWriter {
 public:
  TResultWriter(std::FILE *out, TSqlOptions::Format format);

  // Writes the field names, then every row from the cursor on. A last row
  // that is an error line of ws.php (an error after rows were sent, so that
  // the answer was cut) is not written: its message, empty as it may be,
  // goes to *cutError. Returns false when the output cannot be written.
  bool Write(TWebService &ws, std::optional<QString> *cutError);

  // One value as it goes into a line of each format.
  static void AppendTsv(std::string &line, QByteArrayView value);
  static void AppendCsv(std::string &line, QByteArrayView value);

 private:
  void Append(QByteArrayView value);
  void EndLine();
  // Each returns false when the output cannot be written.
  bool WritePending();
  bool WriteRun();
  bool Pass(QByteArrayView bytes);
  bool PassRows(TWebService &ws, std::optional<QString> *cutError);

  std::FILE *FOut;
  TSqlOptions::Format FFormat;
  std::string FPending;  // built here; keeps its capacity when emptied
  // Bytes of the answer that go out as they are, not yet written; never
  // both this and FPending at once, so that the order holds.
  const char *FRunBegin = nullptr;
  const char *FRunEnd = nullptr;
  bool FLineStarted = false;
};
