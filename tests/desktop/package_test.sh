#!/usr/bin/env bash
# Builds the Debian package from a finished build tree into a scratch folder
# and checks what it would install, the desktop entry, and the launcher.
# usage: package_test.sh <build dir> <source dir>
set -uo pipefail
build=$1
source=$2

for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
debs=("$scratch"/out/tavrin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one tavrin_*.deb"; ls "$scratch/out"; exit 1; }
deb=${debs[0]}

# ---- control fields
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tavrin ] || fail "package name is '$(field Package)'"
depends=$(field Depends)
# Found by the library scan, and the three it cannot find.
for dep in libqt6widgets6 libqt6dbus6 libsdl2-2.0-0 fonts-ipafont-gothic qt6-qpa-plugins qt6-translations-l10n; do
  grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

# ---- file list: "mode path[ -> target]"
listing=$(dpkg-deb -c "$deb" | awk '{ $2 = $3 = $4 = $5 = ""; print }' | sed -E 's/ +/ /g; s| \./| /|')
has() { grep -qxF -- "$1" <<<"$listing" || fail "package lacks: $1"; }
has "-rwxr-xr-x /usr/lib/tavrin/tavrin"
has "-rwxr-xr-x /usr/lib/tavrin/tavrin-launch"
has "lrwxrwxrwx /usr/bin/tavrin -> ../lib/tavrin/tavrin"
has "lrwxrwxrwx /usr/bin/tavrin-launch -> ../lib/tavrin/tavrin-launch"
has "-rw-r--r-- /usr/share/applications/io.github.tavrin.Tavrin.desktop"
has "-rw-r--r-- /usr/share/icons/hicolor/32x32/apps/io.github.tavrin.Tavrin.png"
for cue in Tavrin-Jihou1 Tavrin-Jihou2 Tavrin-Jihou3 Tavrin-chime; do
  has "-rw-r--r-- /usr/share/tavrin/cues/$cue.wav"
done
if [ -f "$source/help/Tavrin.chm" ]; then
  has "-rw-r--r-- /usr/lib/tavrin/Tavrin.chm" # the program looks beside itself
fi
stray=$(grep -vE ' /usr/(bin|lib/tavrin|share/(applications|icons|tavrin))(/|$)' <<<"$listing" | grep -vE '^d.* /usr/(lib|share)?/?$')
[ -z "$stray" ] || fail "unexpected files: $stray"

# ---- the unpacked tree
root=$scratch/root
dpkg-deb -x "$deb" "$root"
file -b "$root/usr/share/icons/hicolor/32x32/apps/io.github.tavrin.Tavrin.png" | grep -q 'PNG image data, 32 x 32' ||
  fail "icon is not a 32x32 PNG"
file -bL "$root/usr/lib/tavrin/tavrin" | grep -q ELF || fail "program is not an executable"
for cue in "$root"/usr/share/tavrin/cues/*.wav; do
  cmp -s "$cue" "$source/sound/cues/$(basename "$cue")" || fail "$(basename "$cue") differs from the default cue"
done

entry=$root/usr/share/applications/io.github.tavrin.Tavrin.desktop
value() { sed -n "s/^$1=//p" "$entry"; }
[ "$(value Name)" = Tavrin ] || fail "Name is '$(value Name)'"
[ -n "$(value 'Name\[ja\]')" ] || fail "no Japanese name"
[ "$(value Categories)" = "Education;Utility;" ] || fail "Categories are '$(value Categories)'"
[ "$(value Icon)" = io.github.tavrin.Tavrin ] || fail "Icon is '$(value Icon)'"
exec_cmd=$(value Exec | awk '{print $1}')
[ "$exec_cmd" = tavrin-launch ] || fail "the menu entry runs '$exec_cmd', not the launcher"
# Hints are advice (two main categories are wanted here); anything else fails.
verdict=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects the entry"
grep -v ': hint: ' <<<"$verdict" | grep . && fail "desktop-file-validate complains about the entry"

# ---- the commands, with a stand-in program that reports where it runs
cat >"$root/usr/lib/tavrin/tavrin" <<'EOF'
#!/bin/sh
pwd > "$REPORT"
printf '%s\n' "$@" >> "$REPORT"
EOF
chmod +x "$root/usr/lib/tavrin/tavrin"
home=$scratch/home
mkdir -p "$home"
launch() { env -u XDG_DATA_HOME HOME="$home" REPORT="$scratch/report" "$@"; }

# The tavrin command works in the folder it is started from, and makes none.
mkdir -p "$scratch/exam"
(cd "$scratch/exam" && launch "$root/usr/bin/tavrin" -y) || fail "tavrin failed"
[ "$(sed -n 1p "$scratch/report")" = "$scratch/exam" ] || fail "tavrin ran in '$(sed -n 1p "$scratch/report")'"
[ "$(sed -n 2p "$scratch/report")" = "-y" ] || fail "tavrin did not pass its arguments on"
[ -e "$home/.local" ] && fail "tavrin made a folder of its own"

# The menu entry's launcher works in the user's own folder.
launcher=$root/usr/bin/$exec_cmd
launch "$launcher" "two words" -x || fail "launcher failed"
userdir=$home/.local/share/tavrin
[ "$(sed -n 1p "$scratch/report")" = "$userdir" ] || fail "program ran in '$(sed -n 1p "$scratch/report")'"
[ "$(sed -n 2p "$scratch/report")" = "two words" ] && [ "$(sed -n 3p "$scratch/report")" = "-x" ] ||
  fail "arguments were not passed on"
for cue in Tavrin-Jihou1 Tavrin-Jihou2 Tavrin-Jihou3 Tavrin-chime; do
  cmp -s "$userdir/$cue.wav" "$source/sound/cues/$cue.wav" || fail "$cue.wav was not copied to the user's folder"
done

# A cue the user replaced, and the settings, survive the next start; a
# deleted cue comes back.
echo mine >"$userdir/Tavrin-chime.wav"
echo settings >"$userdir/Tavrin.cfg"
rm "$userdir/Tavrin-Jihou1.wav"
launch "$launcher" || fail "second start failed"
echo mine | cmp -s - "$userdir/Tavrin-chime.wav" || fail "the user's own cue was overwritten"
[ "$(cat "$userdir/Tavrin.cfg")" = settings ] || fail "the settings were touched"
[ -f "$userdir/Tavrin-Jihou1.wav" ] || fail "a deleted cue was not restored"
ls "$userdir" | grep -q '\.new$' && fail "left-over partial copies"

# XDG_DATA_HOME is honoured; without a usable folder the program still starts.
launch XDG_DATA_HOME="$scratch/data" "$launcher" || fail "start with XDG_DATA_HOME failed"
[ "$(sed -n 1p "$scratch/report")" = "$scratch/data/tavrin" ] || fail "XDG_DATA_HOME was not used"
touch "$scratch/blocked"
(cd "$scratch" && launch XDG_DATA_HOME="$scratch/blocked" "$launcher" 2>/dev/null) ||
  fail "the launcher gave up without a folder of its own"
[ "$(sed -n 1p "$scratch/report")" = "$scratch" ] || fail "without a folder the program did not run where it was started"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checks passed: $(basename "$deb")"
