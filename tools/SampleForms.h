#pragma once

#include <string_view>
#include <vector>

// Report forms as a heat meter of the family prints them, built into the simulator so that the
// demo and the tests need no files beside the program. UTF-8, lines ended by "\n".
struct SampleForm {
    std::string_view name;  // file name in tools/samples, e.g. "daily.txt"
    std::string_view text;
};

// daily.txt, monthly.txt, current.txt, faults.txt, in that order.
const std::vector<SampleForm>& sampleForms();
