#!/usr/bin/env bash
# Sets up, builds and starts the player on a bundled example song (or the
# song given as the first argument). Without a display it says so and
# renders the song into a WAV file with the batch tool instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$("$root/scripts/build.sh" | tail -n 1)"
song="$(realpath "${1:-$root/examples/sakura.mbt}")"
if [ -x "$dir/poronka" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  # The player opens the song; 演奏 plays it through the built-in synthesizer.
  exec "$dir/poronka" "$song"
fi
echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset), so the player window cannot open." >&2
wav="$dir/$(basename "${song%.*}").wav"
echo "Rendering the song through the built-in synthesizer into $wav instead." >&2
"$dir/poronka-cli" render "$song" "$wav"
echo "$wav"
