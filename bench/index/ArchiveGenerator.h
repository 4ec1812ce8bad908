#pragma once

#include <QString>

// Writes an archive as years of collection leave it: `forms` daily reports of 2-4 KB in cp1251
// with CR LF, spread over 12 months and 20 sites, "<site>/<YYYY-MM>/<default name>.txt".
// `first` numbers the forms, so that a second call adds new ones beside them. Returns bytes.
qint64 generateArchive(const QString& root, int forms, int first = 0);

// The serial number the generator gives form `n` ("зав. N 01234"); each is in about 1 in 1,000
// forms.
QString serialOf(int n);
