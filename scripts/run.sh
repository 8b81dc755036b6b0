#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: KorvoConfigurator against the
# simulated coupler korvo-sim, which serves station 1 of the demo project on 127.0.0.10
# in the background until the program exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

bin="$root/build/bin"
demo="$bin/demo/demo.prj"
address=127.0.0.10
log="$root/build/korvo-sim.log"

# The configurator pings the coupler before every online command. Without root that
# needs an unprivileged ICMP socket for one of the user's groups; say so, change nothing.
if [[ $(id -u) -ne 0 ]]; then
  read -r low high < /proc/sys/net/ipv4/ping_group_range
  allowed=false
  for group in $(id -G); do
    if ((group >= low && group <= high)); then allowed=true; fi
  done
  if [[ $allowed == false ]]; then
    echo "note: ICMP echo is not allowed for your groups (net.ipv4.ping_group_range = $low $high);"
    echo "      the online commands will report \"ERROR !! check IP settings\". See README.md."
  fi
fi

"$bin/korvo-sim" --listen "$address" --project "$demo" > "$log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
# Start the program only once the coupler listens; show why when it cannot.
for _ in $(seq 100); do
  if grep -q "listening on" "$log"; then break; fi
  if ! kill -0 "$sim" 2>/dev/null; then
    cat "$log" >&2
    exit 1
  fi
  sleep 0.05
done
echo "korvo-sim serves station 1 of $demo on $address (log: $log)"

if [[ ! -f "$bin/korvo.ini" ]]; then
  cp "$demo" "$bin/korvo.ini"
fi
"$bin/KorvoConfigurator"
