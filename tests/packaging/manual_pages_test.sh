#!/bin/sh
# The manual pages are well-formed roff and agree with the programs' own help:
# every command of "korvo --help" is in korvo(1) with the synopsis that
# "korvo COMMAND --help" prints, and every option of both programs is described.
# Arguments: korvo, korvo-sim, folder of the manual page sources.
set -eu
korvo=$1 simulator=$2 pages=$3

fail() { echo "$*"; exit 1; }

if command -v groff >/dev/null; then
    for page in "$pages"/*.1; do
        warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
        [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    done
fi

# Roff source with "\-" read as "-", so help texts can be looked up in it.
plain() { sed 's/\\-/-/g' "$pages/$1"; }
korvo_page=$(plain korvo.1)
simulator_page=$(plain korvo-sim.1)

help=$("$korvo" --help)
commands=$(echo "$help" | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || fail "korvo --help lists no commands"
for command in $commands; do
    usage=$("$korvo" "$command" --help) || fail "korvo $command --help failed"
    synopsis=$(echo "$usage" | head -n 1 | sed -e 's/^usage: korvo //' -e 's/  .*//')
    echo "$korvo_page" | grep -qxF ".B $synopsis" || fail "korvo.1 lacks the synopsis \"$synopsis\""
    for option in $(echo "$usage" | grep -o -- '-[-a-z][a-z-]*' | sort -u); do
        echo "$korvo_page" | grep -qF -- "$option" || fail "korvo.1 does not mention $option of korvo $command"
    done
done
for option in $(echo "$help" | grep -o -- ' --[a-z][a-z-]*' | sort -u); do
    echo "$korvo_page" | grep -qF -- "$option" || fail "korvo.1 does not mention$option"
done

simulator_help=$("$simulator" --help 2>&1 || true)
for option in $(echo "$simulator_help" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    echo "$simulator_page" | grep -qF -- ".BI $option" || echo "$simulator_page" | grep -qF -- ".BI $option " ||
        fail "korvo-sim.1 does not describe $option"
done
echo "manual pages agree with the help texts"
