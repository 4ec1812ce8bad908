#!/usr/bin/env bash
# Builds the threaded tests with ThreadSanitizer in build-tsan/ and runs them.
#
# The tests of the worker and of the layers below it must be clean as they stand. The
# window tests see the worker hand its calls to the UI thread through Qt's queued
# connections; Debian's Qt is built without TSan, so TSan cannot see the locks of Qt's
# event queue and reports every hand-over. scripts/tsan.supp names those Qt-internal frames
# and nothing of ours, so a race in our own code still fails the run.
#
#   bash scripts/tsan.sh            # build and run both groups
#   bash scripts/tsan.sh --no-build # run what build-tsan/ already holds
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULON_TSAN_BUILD:-$root/build-tsan}

clean=(acquisition_tests platform_tests tools_tests e2e_acquisition_tests collect_tests)
handover=(frames_tests frames_core_tests app_end_to_end_tests)

if [[ ${1:-} != --no-build ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTABULON_TESTS=ON \
        -DTABULON_TSAN=ON >/dev/null
    cmake --build "$build" -j2 --target "${clean[@]}" "${handover[@]}"
fi

export QT_QPA_PLATFORM=offscreen
# TSan needs the address space laid out as it expects; newer kernels randomise more bits
# than the Debian 12 toolchain's TSan allows, so run without address randomisation.
# The collector's tests start tabulon-collect (built with TSan too, its reports make it exit
# 66) from a process that already has threads: die_after_fork=0 lets that fork go on.
run() {
    local exe options=$1; shift
    for name in "$@"; do
        exe=$(find "$build/tests" -type f -name "$name" -perm -u+x | head -n 1)
        [[ -n $exe ]] || { echo "tsan: $name was not built" >&2; return 1; }
        echo "== $name"
        TSAN_OPTIONS="halt_on_error=0 exitcode=66 second_deadlock_stack=1 die_after_fork=0 $options" \
            setarch "$(uname -m)" -R "$exe" --gtest_brief=1 || { echo "tsan: $name failed" >&2; return 1; }
    done
}
run "" "${clean[@]}"
run "ignore_noninstrumented_modules=1 suppressions=$root/scripts/tsan.supp" "${handover[@]}"
echo "tsan: all clean"
