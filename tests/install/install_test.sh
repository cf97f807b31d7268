#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop sees:
# the installed batch tool runs on an installed example, the desktop entry
# and the AppStream metadata validate, the file types are recognised (by
# name and by content) and handed to the player, and the manual pages
# render without warnings.
# usage: install_test.sh BUILD_DIR APP_ID
set -euo pipefail
build="$1"
app_id="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"

# The installed batch tool on an installed example, from another folder.
cd "$tmp"
json="$("$prefix/bin/poronka-cli" dump "$share/poronka/examples/sakura.mbt")" || fail "installed poronka-cli dump"
grep -q '"Title":"さくらさくら' <<<"$json" || fail "dump of the installed example: $json"
"$prefix/bin/poronka-cli" convert "$share/poronka/examples/sakura.mbt" "$tmp/sakura.mid" || fail "installed convert"
[ -s "$tmp/sakura.mid" ] || fail "convert wrote nothing"
[ -f "$share/poronka/help/index.html" ] || fail "help not installed"
if [ -f "$build/poronka" ]; then [ -x "$prefix/bin/poronka" ] || fail "player not installed"; fi

desktop="$share/applications/$app_id.desktop"
metainfo="$share/metainfo/$app_id.metainfo.xml"
out="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$metainfo" >"$tmp/as.txt" 2>&1 || { cat "$tmp/as.txt" >&2; fail "appstreamcli validate"; }
icon="$(sed -n 's/^Icon=//p' "$desktop")"
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "scalable icon $icon"
[ -f "$share/icons/hicolor/48x48/apps/$icon.png" ] || fail "48x48 icon $icon"

# File types in a private XDG data folder, as the desktop would see them.
data="$tmp/xdg"
mkdir -p "$data/mime/packages" "$data/applications"
cp "$share/mime/packages/"*.xml "$data/mime/packages/"
XDG_DATA_HOME="$data" update-mime-database "$data/mime"
cp "$desktop" "$data/applications/"
update-desktop-database "$data/applications"
xdg() {
  env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
    XDG_DATA_HOME="$data" XDG_DATA_DIRS=/usr/share XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" xdg-mime "$@"
}
score_type=application/x-poronka-score
playlist_type=application/x-poronka-playlist
[ "$(xdg query filetype "$share/poronka/examples/sakura.mbt")" = "$score_type" ] || fail "type of an .mbt file"
cp "$share/poronka/examples/hotaru.mbt" "$tmp/HOTARU.MBT"
[ "$(xdg query filetype "$tmp/HOTARU.MBT")" = "$score_type" ] || fail "type of an .MBT file"
# By content: the data marker after the title lines.
cp "$share/poronka/examples/kirakira.mbt" "$tmp/song"
[ "$(xdg query filetype "$tmp/song")" = "$score_type" ] || fail "type of a score without extension"
printf 'title\r\nno marker here\r\n' >"$tmp/other"
[ "$(xdg query filetype "$tmp/other")" != "$score_type" ] || fail "plain text taken for a score"
printf '%s\r\n' "This is PlayListFile for ZARQ2" "$tmp/song" >"$tmp/list.mbl"
[ "$(xdg query filetype "$tmp/list.mbl")" = "$playlist_type" ] || fail "type of an .mbl playlist"
cp "$tmp/list.mbl" "$tmp/list"
[ "$(xdg query filetype "$tmp/list")" = "$playlist_type" ] || fail "type of a playlist without extension"
for t in "$score_type" "$playlist_type"; do
  [ "$(xdg query default "$t")" = "$app_id.desktop" ] || fail "the player does not open $t"
done

# Manual pages render without warnings.
for page in poronka poronka-cli; do
  file="$share/man/man1/$page.1.gz"
  [ -f "$file" ] || fail "manual page $page"
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" >"$tmp/man.txt" 2>"$tmp/man.err" || fail "man $page"
  [ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err" >&2; fail "warnings from man $page"; }
  grep -q "$page" "$tmp/man.txt" || fail "man $page printed nothing"
done
echo "install checks passed"
