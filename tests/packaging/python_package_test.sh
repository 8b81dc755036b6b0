#!/bin/sh
# Builds the packages python3-quorrin and libquorrin0, checks the module's package,
# unpacks both into a temporary root and runs the module and its example from there
# against a korvo-sim process, as a user who installed them would.
# Arguments: cpack, build directory, version, korvo-sim, data folder. Exit 77: tools missing (skipped).
set -eu
cpack_command=$1 build_dir=$2 version=$3 simulator=$4 data=$5
python=/usr/bin/python3

command -v dpkg-deb >/dev/null || { echo "skipped: dpkg-deb is not installed (package dpkg-dev)"; exit 77; }
[ -x "$python" ] || { echo "skipped: $python is not installed (package python3)"; exit 77; }

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
fail() { echo "$*"; exit 1; }

"$cpack_command" -G DEB -B "$work/packages" --config "$build_dir/CPackConfig.cmake" \
    -D CPACK_COMPONENTS_ALL="quorrin_runtime;python3_quorrin" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
module=$work/packages/python3-quorrin_${version}_all.deb
runtime=$work/packages/libquorrin0_${version}_amd64.deb
for package in "$module" "$runtime"; do
    [ -f "$package" ] || fail "missing package $(basename "$package"); built: $(ls "$work/packages")"
done

files=$(dpkg-deb -c "$module" | awk '{ print $6 }')
for name in __init__ __main__ cli errors library node options records; do
    echo "$files" | grep -qx "./usr/lib/python3/dist-packages/quorrin/$name.py" || fail "python3-quorrin lacks $name.py"
done
for path in ./usr/lib/python3/dist-packages/quorrin/py.typed ./usr/share/doc/python3-quorrin/examples/simulated_coupler.py; do
    echo "$files" | grep -qx "$path" || fail "python3-quorrin lacks $path"
done
! echo "$files" | grep -q -e __pycache__ -e libquorrin || fail "python3-quorrin holds more than the module: $files"
[ "$(dpkg-deb -f "$module" Architecture)" = all ] || fail "python3-quorrin is not Architecture: all"
depends=$(dpkg-deb -f "$module" Depends)
for needed in python3 "libquorrin0 (= $version)"; do
    echo "$depends" | grep -qF "$needed" || fail "python3-quorrin does not depend on $needed: $depends"
done

root=$work/root
for package in "$module" "$runtime"; do dpkg -x "$package" "$root"; done

# A loopback address of its own, as korvo-sim's port is fixed; the simulator says when it listens.
mkfifo "$work/simulator.out"
for _ in 1 2 3 4 5 6 7 8 9 10; do
    set -- $(od -An -N2 -tu1 /dev/urandom)
    address=127.15.$(($1 % 254 + 1)).$(($2 % 254 + 1))
    "$simulator" --listen "$address" --project "$data/demo/demo.prj" --catalogue "$data/korvo_config.ini" \
        >"$work/simulator.out" 2>&1 &
    simulator_pid=$!
    exec 3<"$work/simulator.out"
    listening=no
    while read -r line <&3; do
        case $line in *listening*) listening=yes; break ;; esac
        last=$line
    done
    [ $listening = yes ] && break
    wait "$simulator_pid" || true
    simulator_pid=
    exec 3<&-
    case ${last:-} in *"in use"*) ;; *) fail "korvo-sim did not start: ${last:-}" ;; esac
done
[ -n "$simulator_pid" ] || fail "korvo-sim found no free loopback address"
# The log goes on into a file, so the simulator never waits for its reader.
cat <&3 >"$work/simulator.log" &

# The unpacked root stands in for /: the module from its dist-packages, the library by the loader's search.
run() { env -u QUORRIN_LIBRARY PYTHONPATH="$root/usr/lib/python3/dist-packages" LD_LIBRARY_PATH="$root/usr/lib" "$python" "$@"; }
where=$(cd "$work" && run -c 'import quorrin; print(quorrin.__file__)') || fail "the packaged module does not import"
case $where in "$root"/*) ;; *) fail "python3 imported quorrin from $where instead of the package" ;; esac

output=$(cd "$work" && run "$root/usr/share/doc/python3-quorrin/examples/simulated_coupler.py" "$address" 2>&1) ||
    fail "the packaged example failed: $output"
echo "$output" | grep -qx 'answer 830b lists 8 modules' || fail "the packaged example answered: $output"
read_out=$(cd "$work" && run -m quorrin read "KNETHIP[$address]N1_D" 0 2 2>&1) || fail "python3 -m quorrin read failed: $read_out"
echo "$read_out" | grep -q '^0000: ' || fail "python3 -m quorrin read printed: $read_out"
echo "python3-quorrin OK: example and python3 -m quorrin ran from the unpacked package against $address"
