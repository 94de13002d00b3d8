#!/usr/bin/env bash
# Installs the built .deb as a user of this machine would and checks, through the real program under a
# virtual display, as a normal user started from the desktop entry's command:
#   - the first start makes the user's data folder (~/.local/share/Kavorel) and the initial exercise;
#   - the guide opens from "?" (F1);
#   - a reinstall keeps the data, and the program opens them straight away;
#   - removing (and purging) the package leaves the data.
# Needs root (it installs and removes the package, and makes the user kvessai). Run by CI after the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "test-package.sh: run as root" >&2; exit 2; }
scripts/package.sh >/dev/null
deb=$(ls -1 build/packages/kavorel_*.deb | head -n 1)
deb=$(readlink -f "$deb")
user=kvessai
id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
data="$home/.local/share/Kavorel"
year=$(date +%Y)
fail() { echo "test-package.sh: FAILED: $*" >&2; exit 1; }

apt-get remove -y kavorel >/dev/null 2>&1 || true
rm -rf "$data"
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >/dev/null
[ -x /usr/lib/kavorel/kavorel ] || fail "program not installed"
desktop=/usr/share/applications/kavorel.desktop
[ -f "$desktop" ] || fail "no desktop entry"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "desktop entry not valid"; fi
[ -f /usr/share/icons/hicolor/scalable/apps/kavorel.svg ] && [ -f /usr/share/icons/hicolor/48x48/apps/kavorel.png ] \
  || fail "icons missing"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")

# Runs the desktop entry's command as the user in a virtual display, types KEYS (xdotool names) after
# the start, waits, and reports the titles of the program's windows on stdout.
run_as_user() {
  local keys=$1
  runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 XSHOT_KEYS="$keys" EXEC="$exec_line" \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
      cd "$HOME"
      $EXEC & app=$!
      sleep 4
      for k in $XSHOT_KEYS; do xdotool key "$k"; sleep 1; done
      sleep 2
      for w in $(xdotool search --pid $app 2>/dev/null); do xdotool getwindowname "$w" 2>/dev/null || true; done
      kill $app 2>/dev/null; sleep 1; kill -9 $app 2>/dev/null; true'
}

# First start: "Exercice Initial" proposes the current year; Return accepts it.
run_as_user "Return" >/dev/null
[ -f "$data/ZEB_$year.MDB" ] || fail "the first start made no exercise in $data"
grep -q "Démarrage" "$data/kavorel.log" || fail "no start-up line in the log of the data folder"
[ "$(stat -c %U "$data/ZEB_$year.MDB")" = "$user" ] || fail "the exercise does not belong to the user"
[ ! -e /usr/lib/kavorel/ZEB_$year.MDB ] || fail "data written into the program folder"

# The guide from the main window (F1).
titles=$(run_as_user "F1")
echo "$titles" | grep -q "Guide de l'utilisateur" || fail "the guide did not open (windows: $titles)"

sum=$(md5sum "$data/ZEB_$year.MDB" | cut -d' ' -f1)
echo "firm data" >"$data/Archives/note-de-la-firme.txt"
chown "$user:" "$data/Archives/note-de-la-firme.txt"

# Reinstall: the data stay and open at once (no "Exercice Initial" question).
DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall "$deb" >/dev/null
[ "$(md5sum "$data/ZEB_$year.MDB" | cut -d' ' -f1)" = "$sum" ] || fail "the reinstall changed the exercise"
titles=$(run_as_user "")
echo "$titles" | grep -q "Exercice Initial" && fail "the reinstalled program asked for the initial exercise again"
[ -f "$data/ZEB_$year.MDB" ] || fail "exercise lost after the reinstall"

# Remove and purge: the program goes, the data stay.
DEBIAN_FRONTEND=noninteractive apt-get remove -y kavorel >/dev/null
dpkg --purge kavorel >/dev/null
[ ! -e /usr/lib/kavorel/kavorel ] && [ ! -e /usr/bin/kavorel ] || fail "the program is still installed"
[ -f "$data/ZEB_$year.MDB" ] && [ -f "$data/Archives/note-de-la-firme.txt" ] || fail "removing the package removed data"
[ -f "$data/ZEB.CFG" ] || fail "ZEB.CFG removed"
echo "Package test passed: $(basename "$deb") installed, started as $user from its desktop entry, data kept in $data across a reinstall and a removal."
