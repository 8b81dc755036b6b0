#!/bin/sh
# Builds the Debian packages, checks their contents and dependencies, unpacks
# them into a temporary root and runs the programs from there.
# Arguments: cpack, build directory, version. Exit 77: tools missing (skipped).
set -eu
cpack_command=$1 build_dir=$2 version=$3

for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (package dpkg-dev)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cpack_command" -G DEB -B "$work/packages" --config "$build_dir/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }

fail() { echo "$*"; exit 1; }
program=$work/packages/korvo-configurator_${version}_amd64.deb
runtime=$work/packages/libquorrin0_${version}_amd64.deb
development=$work/packages/libquorrin-dev_${version}_amd64.deb
# The Python module's package is checked and run by python_package_test.sh.
module=$work/packages/python3-quorrin_${version}_all.deb
for package in "$program" "$runtime" "$development" "$module"; do
    [ -f "$package" ] || fail "missing package $(basename "$package"); built: $(ls "$work/packages")"
done

# Each file in the package it belongs to, and nowhere else.
expect() {  # package, path (as dpkg-deb -c lists it)
    dpkg-deb -c "$1" | awk '{ print $6 }' | grep -qx "$2" || fail "$(basename "$1") lacks $2"
}
refuse() {
    ! dpkg-deb -c "$1" | awk '{ print $6 }' | grep -q "$2" || fail "$(basename "$1") must not hold $2"
}
for path in ./usr/lib/korvo/KorvoConfigurator ./usr/lib/korvo/korvo ./usr/lib/korvo/korvo-sim \
    ./usr/lib/korvo/korvo_config.ini ./usr/lib/korvo/demo/demo.prj ./usr/lib/korvo/documents/KORVO_NC_ETH.txt \
    ./usr/lib/korvo/images/korvo_Help_1.jpg ./usr/lib/korvo/images/korvo_di_16.bmp \
    ./usr/bin/KorvoConfigurator ./usr/bin/korvo ./usr/bin/korvo-sim \
    ./usr/share/applications/korvo-configurator.desktop ./usr/share/pixmaps/korvo.png \
    ./usr/share/korvo/wireshark/quorrin.lua ./usr/share/man/man1/korvo.1.gz \
    ./usr/share/man/man1/korvo-sim.1.gz ./usr/share/man/man1/KorvoConfigurator.1.gz; do
    expect "$program" "$path"
done
refuse "$program" 'libquorrin'
refuse "$program" 'quorrin.h'
refuse "$program" 'dist-packages'
refuse "$runtime" 'dist-packages'
expect "$runtime" ./usr/lib/libquorrin.so.0
refuse "$runtime" 'quorrin.h'
refuse "$runtime" 'libquorrin.so$'
for path in ./usr/include/quorrin.h ./usr/lib/libquorrin.so ./usr/lib/pkgconfig/quorrin.pc; do
    expect "$development" "$path"
done

# Dependencies come from dpkg-shlibdeps; the programs need the library package.
depends=$(dpkg-deb -f "$program" Depends)
for needed in "libquorrin0 (= $version)" libqt6widgets6 libjpeg libc6; do
    echo "$depends" | grep -qF "$needed" || fail "korvo-configurator does not depend on $needed: $depends"
done
dpkg-deb -f "$development" Depends | grep -qF "libquorrin0 (= $version)" || fail "libquorrin-dev lacks its runtime"
dpkg-deb -f "$runtime" Depends | grep -q libc6 || fail "libquorrin0 has no shared-library dependencies"
# Installing sets no capabilities and changes nothing outside the package's files.
dpkg-deb -e "$program" "$work/control"
for script in postinst preinst; do
    [ ! -f "$work/control/$script" ] || ! grep -Eq 'setcap|chmod|sysctl' "$work/control/$script" ||
        fail "korvo-configurator $script changes permissions"
done

root=$work/root
for package in "$program" "$runtime" "$development"; do dpkg -x "$package" "$root"; done
# The programs find the library beside them in the unpacked root by their run path.

[ "$("$root/usr/bin/korvo" --version)" = "korvo $version" ] || fail "korvo --version: $("$root/usr/bin/korvo" --version)"
station=$("$root/usr/bin/korvo" station "$root/usr/lib/korvo/demo/demo.prj") || fail "korvo station failed: $station"
echo "$station" | grep -q 'KORVO NC ETH' || fail "korvo station shows no coupler: $station"
echo "$station" | grep -q 'KORVO DI 16' || fail "korvo station shows no modules: $station"
"$root/usr/bin/korvo-sim" --help 2>&1 | grep -q -- '--pcap' || fail "korvo-sim from the package lacks --pcap"

# The start script gives each user a writable program folder of links and a copy of the program.
if [ -x "$root/usr/lib/korvo/KorvoConfigurator" ]; then
    home=$work/home
    mkdir -p "$home"
    status=0
    # The user's copy lies outside the root, so it needs to be shown the library.
    HOME=$home XDG_DATA_HOME= LD_LIBRARY_PATH="$root/usr/lib" QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/KorvoConfigurator" \
        >"$work/gui.log" 2>&1 || status=$?
    [ "$status" -eq 124 ] || { cat "$work/gui.log"; fail "KorvoConfigurator ended with $status instead of running"; }
    folder=$home/.local/share/korvo
    [ -L "$folder/korvo_config.ini" ] || fail "no catalogue link in $folder"
    [ -L "$folder/images" ] || fail "no images link in $folder"
    [ -f "$folder/KorvoConfigurator" ] && [ ! -L "$folder/KorvoConfigurator" ] || fail "no program copy in $folder"
    cmp -s "$folder/KorvoConfigurator" "$root/usr/lib/korvo/KorvoConfigurator" || fail "stale program copy"
fi
echo "packages OK: $(ls "$work/packages"/*.deb | xargs -n1 basename | tr '\n' ' ')"
