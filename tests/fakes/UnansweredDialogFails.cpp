#include <gtest/gtest.h>

#include "tests/fakes/DialogAnswerer.h"

// A dialog the test did not expect: the test fails, and says which dialog it was.
void reportUnansweredDialog(const QString& what) {
    ADD_FAILURE() << what.toStdString();
}
