#!/bin/sh
# Runs the Python module's tests with Debian's Python 3, which python3-pytest serves
# (another python3 may come first on the PATH). Exit 77: no pytest (skipped).
# Arguments: the test folder, then pytest's own.
set -eu
for python in /usr/bin/python3 python3; do
    if "$python" -c 'import pytest' 2>/dev/null; then
        exec "$python" -m pytest -q -p no:cacheprovider -o faulthandler_timeout=120 "$@"
    fi
done
echo "skipped: pytest is not installed (package python3-pytest)"
exit 77
