#!/bin/sh
# Installs what is missing, builds and runs every test; then builds the same suite with
# AddressSanitizer and UndefinedBehaviorSanitizer in a second folder and runs it again.
set -eu
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$jobs"
(cd build && ctest --output-on-failure --parallel "$jobs")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:suppressions=$(pwd)/tests/sanitizers/asan.supp"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$(pwd)/tests/sanitizers/ubsan.supp"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVEXO_SANITIZE=ON -DVEXO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan --parallel "$jobs"
(cd build-asan && ctest --output-on-failure --parallel "$jobs")

# The camera library's threaded tests under ThreadSanitizer. Off by default: the
# instrumented image pipeline runs tens of times slower, which a loaded machine turns
# into long runs. VEXO_TEST_TSAN=1 ./test.sh includes it.
if [ "${VEXO_TEST_TSAN:-0}" = "1" ]; then
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVEXO_TSAN=ON -DVEXO_BUILD_BENCH=OFF >/dev/null
  cmake --build build-tsan --parallel "$jobs" --target tst_cameraacquisition tst_cameraparametersets tst_cameralifecycle
  (cd build-tsan && ctest --output-on-failure -R 'tst_cameraacquisition|tst_cameraparametersets|tst_cameralifecycle')
fi
echo "All tests passed, also under AddressSanitizer and UndefinedBehaviorSanitizer."
