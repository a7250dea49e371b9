#!/usr/bin/env bash
# Builds the program, copies the demo data root to a writable place outside the
# repository (once: an existing copy keeps the teacher's changes) and starts it there.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh" "$here/build"
data="${ZHURNAL_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/zhurnal/demo}"
if [ ! -d "$data" ]; then
  mkdir -p "$(dirname "$data")"
  cp -r "$here/examples/demo" "$data"
  echo "Демонстрационные данные скопированы в $data"
fi
exec "$here/build/src/app/zhurnal" --data "$data" "$@"
