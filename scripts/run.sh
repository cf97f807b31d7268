#!/usr/bin/env bash
# Sets up, builds and starts the player on a bundled example song.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$("$root/scripts/build.sh" | tail -n 1)"
song="${1:-$root/examples/sakura.mbt}"
if [ -x "$dir/poronka" ]; then
  exec "$root/scripts/play.sh" "$dir" "$song"
fi
# Until the player window exists: the batch tool plays the song through the
# built-in synthesizer (Ctrl-C stops it). Without any audio output it says so
# and renders the song into a WAV file instead.
status=0
"$dir/poronka-cli" play "$song" || status=$?
[ "$status" -ne 0 ] || exit 0
[ "$status" -eq 1 ] || exit "$status"
wav="$dir/$(basename "${song%.*}").wav"
echo "No audio output here: rendering the song into $wav instead." >&2
"$dir/poronka-cli" render "$song" "$wav"
echo "$wav"
