#!/usr/bin/env bash
# Builds the library, the simulator, the toolkit-free core and their tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (any finding stops the test)
# into build-asan/, and runs those tests. Only these targets are built, so the
# check stays within a few minutes; the compiler cache does the rest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-asan"

# Test executables registered with add_test by name; the gtest-discovered ones
# (names with a dot) exist only for the targets built here.
named_tests=(
  quorrin_frame_test quorrin_connection_test quorrin_services_test quorrin_control_test
  quorrin_management_test quorrin_wire_test quorrin_hardening_test
  quorrin_confirmation_corpus quorrin_control_corpus quorrin_management_corpus
  korvo_sim_test korvo_sim_services_test korvo_sim_hardening_test korvo_sim_program_test
  korvo_sim_request_corpus profile_file_corpus catalogue_values_corpus
  quorrin_receive_inbox_test korvo_sim_answer_path_test
  bootp_request_corpus connection_description_corpus
  station_scan_test coupler_discovery_test plant_check_test online_worker_test
  point_ring_test trend_events_test
)
discovered_tests=(
  versch_test profile_file_test catalogue_test station_model_test station_layout_test
  project_file_test view_clicks_test property_call_test text_encoding_test file_safety_test
  arrange_once_test
  safe_file_read_test jpeg_picture_test connection_plan_test plant_report_test
)

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
    -DKORVO_SANITIZE=ON -DKORVO_BUILD_GUI=OFF -DKORVO_BUILD_BENCH=OFF -DKORVO_WERROR=OFF
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$build" -j "$jobs" --target "${named_tests[@]}" "${discovered_tests[@]}" korvo-sim

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
regex="^($(IFS='|'; echo "${named_tests[*]}"))\$|\\."
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 300 -R "$regex"
