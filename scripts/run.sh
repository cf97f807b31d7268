#!/usr/bin/env bash
# Sets up, builds and starts the player on a bundled example song.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$("$root/scripts/build.sh" | tail -n 1)"
song="${1:-$root/examples/sakura.mbt}"
if [ -x "$dir/poronka" ]; then
  exec "$root/scripts/play.sh" "$dir" "$song"
fi
"$dir/poronka-cli" dump "$song" | python3 -c '
import json, sys
d = json.load(sys.stdin)
notes = sum(1 for row in d["RowNotes"][1:] for c in row if c)
print("Title:   ", d["Title"].split("\r\n")[0])
print("Tempo:   ", d["Bpm"], "拍/分 (", d["HalfPeriod"] * 2, "mS／行)")
print("Rows:    ", d["RowCount"], " bars of", d["RowsPerBar"], "rows, notes:", notes)
print("Columns: ", d["ColumnCount"], "pitches")
'
