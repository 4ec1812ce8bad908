#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "index/FormQuery.h"
#include "store/StoreForm.h"

class StoreSearch;

// A search of "Архив форм" run in the common archive: the operator's query made into the terms
// the local index would look for, and each form found made into a row of the list, with the
// line shown under it cut as the local index cuts it.
namespace StoreHits {

struct Hit {
    FormQuery::Row row;  // the form's path is its name in its machine's archive
    StoreForm form;
};

// The forms of `scope` holding the query's terms. Nothing when the store could not be searched
// (`search` tells why); no hits when the query holds a character no form can hold.
std::optional<std::vector<Hit>> find(StoreSearch& search, const QString& query,
                                     const FormQuery::Scope& scope = {});

}  // namespace StoreHits
