#!/bin/sh
# Installs the library to a temporary prefix, builds a C client with
# pkg-config against it and runs it against a korvo-sim process.
# Arguments: cmake, build directory, korvo-sim, C compiler, client source, address.
set -eu
cmake_command=$1 build_dir=$2 simulator=$3 cc=$4 source=$5 address=$6

work=$(mktemp -d)
simulator_pid=
cleanup() {
    if [ -n "$simulator_pid" ]; then
        kill "$simulator_pid" 2>/dev/null || true
        wait "$simulator_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

"$cmake_command" --install "$build_dir" --prefix "$work/prefix" --component quorrin >/dev/null
pc_file=$(find "$work/prefix" -name quorrin.pc)
[ -n "$pc_file" ] || { echo "quorrin.pc was not installed"; exit 1; }
export PKG_CONFIG_PATH="$(dirname "$pc_file")"
library=$(find "$work/prefix" -name 'libquorrin.so.*.*' | head -n 1)

# Only the documented calls leave the shared object.
unexpected=$(nm -D --defined-only "$library" | awk '$2 == "T" { print $3 }' | grep -v -E '^(DDI_|ETH_|Get|WaitFor)' || true)
[ -z "$unexpected" ] || { echo "unexpected exports: $unexpected"; exit 1; }

# shellcheck disable=SC2046
"$cc" -std=c11 -Wall -Wextra -Werror -pedantic "$source" $(pkg-config --cflags --libs quorrin) -o "$work/client"

# The simulator's first line says it is listening; reading it is the readiness wait.
mkfifo "$work/simulator.out"
"$simulator" --listen "$address" >"$work/simulator.out" &
simulator_pid=$!
exec 3<"$work/simulator.out"
read -r first_line <&3
case $first_line in
*listening*) ;;
*) echo "korvo-sim did not start: $first_line"; exit 1 ;;
esac

LD_LIBRARY_PATH="$(dirname "$library")" "$work/client" "$address"

kill -TERM "$simulator_pid"
wait "$simulator_pid"
simulator_pid=
log=$(cat <&3)
echo "$log"
echo "$log" | grep -q ' read 0104h ' || { echo "korvo-sim logged no read request"; exit 1; }
