#!/usr/bin/env bash
# Sets up, builds and starts the player on a bundled example song (or the
# song given as the first argument). Without a display it says so and
# renders the song into a WAV file with the batch tool instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$("$root/scripts/build.sh" | tail -n 1)"
song="$(realpath "${1:-$root/examples/sakura.mbt}")"
has_display() { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }
# Sound goes out through PulseAudio (or PipeWire's PulseAudio server) or ALSA.
has_sound() { [ -d /dev/snd ] || { command -v pactl >/dev/null && pactl info >/dev/null 2>&1; }; }
if [ -x "$dir/poronka" ] && has_display && has_sound; then
  # The player opens the song; 演奏 plays it through the built-in synthesizer.
  exec "$dir/poronka" "$song"
fi
if ! has_display; then
  echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset), so the player window cannot open." >&2
else
  echo "No sound output here (no sound card and no PulseAudio server), so the player would stay silent." >&2
fi
wav="$dir/$(basename "${song%.*}").wav"
echo "Rendering the song through the built-in synthesizer into $wav instead." >&2
"$dir/poronka-cli" render "$song" "$wav"
echo "$wav"
