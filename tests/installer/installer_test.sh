#!/usr/bin/env bash
# The setup program and the portable zip, tried as an operator would use them, in a fresh
# 32-bit Wine prefix of their own (never the build's): silent install, start from the
# shortcut, upgrade over a used installation, silent uninstall, install over a game's own
# engine, and the portable script. Prints one line per check and a last PASS or FAIL line.
#
#   installer_test.sh SETUP.exe PORTABLE.zip installer_check.exe WORK_FOLDER
set -uo pipefail

setup=$1 zip=$2 check=$3 work=$4
mkdir -p "$work" && work=$(cd "$work" && pwd)  # Wine wants an absolute prefix path
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
started=$(date +%s)
# For korvane_start_xvfb only: the prefix variables are set again below.
source "$root/scripts/wine-env"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
# No menu entries on this machine's desktop for the Start menu shortcuts the setup makes.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
log=$work/wine.log
failures=0

ok() { echo "  ok   $*"; }
fail() { echo "  FAIL $*"; failures=$((failures + 1)); }
expect() {  # expect DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
absent() { [ ! -e "$1" ]; }
same() { cmp -s "$1" "$2"; }
# 1 when the service manager knows the setup's service, 0 when it does not.
service_count() { timeout 30 wine sc query KorvaneServer 2>>"$log" </dev/null | grep -c 'SERVICE_NAME: KorvaneServer'; }
is_32bit_prefix() { [ -d "$WINEPREFIX/drive_c/windows/system32" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; }

# Every Wine process writes to the log, never to ctest's pipe: a helper process that
# inherited the pipe would keep ctest waiting long after this script ended.
wine_run() { timeout 60 wine "$@" >>"$log" 2>&1 </dev/null; }
checker() {
  timeout 90 wine "$check" "$@" >"$work/check.out" 2>>"$log" </dev/null
  local status=$?
  cat "$work/check.out"
  # Its exit code counts its failed checks; a crash or a timeout counts as one.
  if [ "$status" -gt 0 ] && [ "$status" -lt 100 ]; then
    failures=$((failures + status))
  elif [ "$status" -ne 0 ]; then
    echo "  FAIL installer_check $1 ended with $status"
    failures=$((failures + 1))
  fi
}
finish() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  korvane_stop_xvfb
}
trap finish EXIT

for f in "$setup" "$zip" "$check"; do
  [ -f "$f" ] || { echo "installer tests: FAIL: $f was not built (makensis and zip come with scripts/setup)"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || korvane_start_xvfb || exit 1

rm -rf "$work"
mkdir -p "$work/portable"
# CMake's extraction keeps the modes stored in the zip, as unzip does.
(cd "$work/portable" && cmake -E tar xf "$zip") || { echo "installer tests: FAIL: $zip does not unpack"; exit 1; }
top=$work/portable/korvane-server-1.0.5
# The zip holds the same files as the setup program: its copy is the reference.
packaged=$top/korvane-server.exe

echo "== the portable zip; its script makes a fresh prefix and starts the program"
for f in korvane-server.exe korvane-console.exe korvane/cres.dll server.dll resource.txt worlds/antarctica.dat; do
  expect "$f in the zip" [ -f "$top/$f" ]
done
expect "no configuration in the zip" absent "$top/korvane/server.cfg"
expect "the script is executable" [ -x "$top/korvane-wine.sh" ]
KORVANE_WINEPREFIX=$WINEPREFIX "$top/korvane-wine.sh" -s >>"$log" 2>&1 </dev/null &
script=$!
# The script ends by becoming the program; the checker starts only then, so that it does
# not keep the Wine server the script waits for after making the prefix.
for _ in $(seq 600); do
  grep -q 'korvane-server\.exe' "/proc/$script/cmdline" 2>/dev/null && break
  kill -0 "$script" 2>/dev/null || break
  sleep 0.1
done
checker running "$(winepath -w "$top" 2>/dev/null)"
expect "the prefix is a 32-bit one" is_32bit_prefix
echo "   ($(($(date +%s) - started)) s)"

# From here on one persistent Wine server. The portable folder's registry value goes, so the
# setup sees no earlier installation. Unmanaged windows and no crash dialog, as in the
# build's prefix (scripts/wine-env).
timeout 20 wineserver -k >/dev/null 2>&1  # also ends the program if the checker could not
timeout 20 wineserver -w >/dev/null 2>&1
wait "$script" 2>/dev/null
wineserver -p >>"$log" 2>&1 </dev/null
cat >"$work/prefix.reg" <<'REG'
REGEDIT4

[-HKEY_LOCAL_MACHINE\Software\Tarnwick]

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashNotification"=dword:00000000
REG
wine_run regedit /S "$(winepath -w "$work/prefix.reg" 2>/dev/null)"
drive=$WINEPREFIX/drive_c
inst=$drive/Program\ Files/Tarnwick/Korvane
inst_win='C:\Program Files\Tarnwick\Korvane'

echo "== silent install"
wine_run "$setup" /S
expect "setup /S ends with 0" [ $? -eq 0 ]
for f in korvane-server.exe korvane-console.exe korvane/cres.dll server.dll resource.txt worlds/antarctica.dat worlds/usa.dat; do
  expect "$f installed" [ -f "$inst/$f" ]
done
expect "the program is the packaged one" same "$inst/korvane-server.exe" "$packaged"
expect "no configuration of its own (the engine writes it)" absent "$inst/korvane/server.cfg"
checker installed "$inst_win"
expect "no service unless chosen" [ "$(service_count)" = 0 ]

echo "== the installed program, from its shortcut"
checker start-shortcut

echo "== upgrade over a used installation"
printf 'operator settings\r\n' >"$inst/korvane/server.cfg"
cp "$inst/korvane/server.cfg" "$work/server.cfg.before"
printf 'operator map\r\n' >"$inst/worlds/operatormap.dat"
printf 'an older program\r\n' >"$inst/korvane-server.exe"
wine_run "$setup" /S
expect "setup /S ends with 0" [ $? -eq 0 ]
expect "the program is replaced" same "$inst/korvane-server.exe" "$packaged"
expect "korvane/server.cfg is kept" same "$inst/korvane/server.cfg" "$work/server.cfg.before"
expect "the operator's map is kept" [ -f "$inst/worlds/operatormap.dat" ]
expect "the demo maps are still there" [ -f "$inst/worlds/antarctica.dat" ]
checker installed "$inst_win"

echo "== silent uninstall, as the list of installed programs runs it"
# Without _?= the uninstaller copies itself to the temporary folder, starts the copy and
# ends at once; the checker waits for the copy to finish its work.
wine_run "$inst/Uninstall.exe" /S
checker removed
for f in Uninstall.exe korvane-server.exe korvane-console.exe korvane/cres.dll server.dll resource.txt worlds/antarctica.dat worlds/usa.dat; do
  expect "$f removed" absent "$inst/$f"
done
expect "korvane/server.cfg is kept" same "$inst/korvane/server.cfg" "$work/server.cfg.before"
expect "the operator's map is kept" [ -f "$inst/worlds/operatormap.dat" ]

echo "== install into a game folder that has its own engine"
game=$drive/Game
mkdir -p "$game/worlds"
printf 'the game engine\r\n' >"$game/server.dll"
printf 'a game map\r\n' >"$game/worlds/antarctica.dat"
cp "$game/server.dll" "$work/server.dll.before"
wine_run "$setup" /S '/D=C:\Game'
expect "setup /S /D= ends with 0" [ $? -eq 0 ]
expect "the program is installed" [ -f "$game/korvane-server.exe" ]
expect "the game's engine is not replaced" same "$game/server.dll" "$work/server.dll.before"
expect "no demo maps are added" absent "$game/worlds/usa.dat"
expect "the game's map is not replaced" grep -q 'a game map' "$game/worlds/antarctica.dat"
checker installed 'C:\Game'
# With _?= the uninstaller works in place and waits; it cannot delete itself then.
wine_run "$game/Uninstall.exe" /S '_?=C:\Game'
expect "uninstall with _?= ends with 0" [ $? -eq 0 ]
checker removed
expect "the program is removed" absent "$game/korvane-server.exe"
expect "the game's engine is kept" same "$game/server.dll" "$work/server.dll.before"
expect "the game's map is kept" [ -f "$game/worlds/antarctica.dat" ]

echo "== the service component, chosen on a silent setup's command line"
wine_run "$setup" /S /SERVICE
expect "setup /S /SERVICE ends with 0" [ $? -eq 0 ]
expect "the service is installed" [ "$(service_count)" = 1 ]
timeout 60 wine net start KorvaneServer >>"$log" 2>&1 </dev/null
wine_run "$setup" /S
expect "an upgrade over the running service ends with 0" [ $? -eq 0 ]
expect "the service was stopped and started again" [ "$(grep -c 'is starting' "$inst/logs/service.log")" = 2 ]
wine_run "$inst/Uninstall.exe" /S
checker removed
expect "the uninstaller removes the service" [ "$(service_count)" = 0 ]
expect "and the program after it" absent "$inst/korvane-console.exe"

echo "== the portable script runs the console program with no display; SIGTERM ends it cleanly"
# The script stays between the stop signal and Wine, which would end at once on SIGTERM: the
# command's place in the history shows that the program ended its own way.
printf 'echo console-check\n' >"$work/console.in"
(unset DISPLAY; KORVANE_WINEPREFIX=$WINEPREFIX exec "$top/korvane-wine.sh" --console) \
  <"$work/console.in" >"$work/console.out" 2>>"$log" &
console=$!
for _ in $(seq 600); do
  grep -q '^Korvane Server ready: ' "$work/console.out" && grep -q '^console-check' "$work/console.out" && break
  kill -0 "$console" 2>/dev/null || break
  sleep 0.1
done
expect "the ready line and the command's answer on standard output" grep -q '^console-check' "$work/console.out"
kill -TERM "$console" 2>/dev/null
timeout 30 tail --pid="$console" -f /dev/null || kill -KILL "$console" 2>/dev/null
wait "$console"
expect "SIGTERM ends it with exit code 0" [ $? -eq 0 ]
expect "the history was written at the end" grep -q 'echo console-check' "$top/korvane/history.txt"

elapsed=$(($(date +%s) - started))
if [ "$failures" -eq 0 ]; then
  echo "installer tests: PASS (${elapsed} s)"
else
  echo "installer tests: FAIL, $failures failed checks (${elapsed} s; Wine's output: $log)"
  exit 1
fi
