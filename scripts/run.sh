#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: the address map of the
# shipped demo project.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
exec "$root/build/cli/korvo" station "$root/data/demo/demo.prj"
