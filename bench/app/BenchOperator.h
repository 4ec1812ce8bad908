#pragma once

#include "tests/fakes/DialogAnswerer.h"

// The operator of a benchmark's exchange, through the tests' dialog answerer: "Настройки"
// taken as the configuration file has them, the reception started, the report's size not asked
// for, every other box closed with "Нет". Lives while the program does; a QApplication first.
class BenchOperator {
public:
    BenchOperator();

private:
    DialogAnswerer m_answers;
};
