#pragma once

#include <QByteArray>

#include "index/FormRecord.h"

class SqlStatement;

// The statements that list and count the archive's forms, as FormQuery runs them through
// IndexDatabase. Forms are listed newest received first when browsing, newest indexed first
// when searching, from after the row bound as :received and :id; a search by trigrams binds
// :match. Bound :site and :month narrow each.
enum class FormListingKind { Browse, ByTrigrams, EveryText };

QByteArray formListingSql(FormListingKind listing, bool bySite, bool byMonth);
QByteArray formCountSql(bool bySite, bool byMonth);

// The form of the row a listing stands on, and the column of its text (searches only).
FormRecord formOfRow(const SqlStatement& row);
constexpr int kListedTextColumn = 11;
