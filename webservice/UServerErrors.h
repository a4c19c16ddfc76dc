// UServerErrors: the usual refusals of MySQL, of ws.php and of the web
// server, which reach the client in English, told in one French sentence
// that says what they mean and what to do. The server's own text follows
// the sentence whole: it is what a search on the web finds.
//
// ws.php's error line carries MySQL's message without its number, and users
// run copies of ws.php of every age, so the cases are recognised by their
// wording, as MySQL, MariaDB and PHP's mysqli write it, and as ws.php and
// the client write their own.
#pragma once

#include <QString>

namespace UServerErrors {

// The French sentence for the text of an error answer (what follows
// "$ERR "); empty when the text is none of the known cases.
QString Sentence(const QString &message);

// The sentence, a space and the text as it came; the text alone when it has
// no sentence.
QString Explained(const QString &message);

}  // namespace UServerErrors
