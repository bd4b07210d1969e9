#!/usr/bin/env bash
# Sets everything up and runs every test: the format check, the suite on the release
# build, and the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# The output ends with CTest's summary of the sanitizer run.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

status=0

echo "== format check"
if ! scripts/check-format.sh; then
    status=1
fi

echo "== release build"
scripts/build.sh release || exit 1
echo "== release tests"
(cd build && ctest --output-on-failure --timeout 600 -j2) || status=1

echo "== sanitizer build"
scripts/build.sh sanitize || exit 1
echo "== sanitizer tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Qt and the ODBC driver manager keep a few allocations for the life of the process.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
(cd build-sanitize && ctest --output-on-failure --timeout 900 -j2) || status=1

exit $status
