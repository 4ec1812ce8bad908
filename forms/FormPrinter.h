#pragma once

#include <QMarginsF>

class QPrinter;
class QTextDocument;

// The one printer of the program: Print, Print Preview and Print Setup all use it, so the
// printer and paper chosen in Print Setup are the ones forms print on.
QPrinter& tabulonPrinter();

// Prints `doc` on `printer` inside `margins` (points) on every page, wrapping lines at the page
// width. Returns the number of pages printed, 0 when the print job could not start.
int printFormDocument(const QTextDocument& doc, QPrinter& printer, const QMarginsF& margins);
