#!/usr/bin/env bash
# Starts Korvane Server from the folder this script is in, under Wine on Linux.
#
#   ./korvane-wine.sh            starts with the settings sheet
#   ./korvane-wine.sh -s         skips the settings sheet (arguments go to the program)
#   ./korvane-wine.sh --console  runs korvane-console.exe instead: no window, no display
#                                needed, console lines on standard output, commands from
#                                standard input (for panels, systemd units and containers)
#
# Wine needs its 32-bit part (Debian: dpkg --add-architecture i386; apt-get update;
# apt-get install wine wine32:i386). The program runs in a 32-bit Wine prefix of its own,
# made on first use: $KORVANE_WINEPREFIX, or ~/.local/share/korvane-server/wineprefix. The
# registry value through which the program finds its folder is written at every start, so
# the folder may be moved or unpacked again elsewhere.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX=${KORVANE_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/korvane-server/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}

say() { echo "korvane-wine.sh: $*" >&2; }

console=
stopping=
if [ "${1:-}" = --console ]; then
  console=1
  shift
  # A stop asked for while the prefix is made or the registry written: the program never
  # starts. (Why this script stays in between for the console program: see its end.)
  trap 'stopping=1' INT TERM HUP QUIT
fi

command -v wine >/dev/null || { say "wine is not installed"; exit 1; }

if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
  say "making a 32-bit Wine prefix in $WINEPREFIX (once; it takes a little while)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  # No Mono or Gecko download prompts: the program needs neither.
  WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" wineboot -i >/dev/null 2>&1 || true
  # wineboot returns before the new prefix is complete; its Wine server ends when it is.
  wineserver -w
  [ -d "$WINEPREFIX/drive_c/windows" ] || { say "wineboot could not make the prefix (is wine32 installed?)"; exit 1; }
elif [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  # A 64-bit prefix cannot be switched; the program is 32-bit and reads the 32-bit view.
  say "$WINEPREFIX is a 64-bit prefix; set KORVANE_WINEPREFIX to another folder"
  exit 1
fi

# Wine's own fonts for the window program, from the Wine installed here, when the prefix
# lacks them: Marlett draws the caption buttons, Tahoma is the dialog font, sserife.fon the
# "MS Sans Serif" of the program's dialogs (without it a wider font cuts their labels). Debian
# ships them in fonts-wine.
if [ -z "$console" ]; then
  fonts=$WINEPREFIX/drive_c/windows/Fonts
  winebin=$(readlink -f "$(command -v wine)")
  for dir in /usr/share/wine/fonts /usr/local/share/wine/fonts "${winebin%/bin/*}/share/wine/fonts" \
             /opt/wine-*/share/wine/fonts; do
    [ -f "$dir/marlett.ttf" ] || continue
    for f in marlett.ttf tahoma.ttf tahomabd.ttf sserife.fon; do
      [ -f "$fonts/$f" ] || [ ! -f "$dir/$f" ] || cp "$dir/$f" "$fonts/$f" 2>/dev/null || true
    done
    break
  done
  [ -f "$fonts/marlett.ttf" ] || say "Wine's fonts were not found (Debian: apt-get install fonts-wine); window buttons may show as letters"
fi

folder=$(winepath -w "$here")
wine reg add 'HKLM\Software\Tarnwick\Korvane' /v 'Install Dir' /t REG_SZ /d "$folder" /f /reg:32 \
  >/dev/null 2>&1 || { say "could not write the registry value"; exit 1; }

cd "$here"
[ -n "$console" ] || exec wine ./korvane-server.exe "$@"

# Wine turns SIGINT into the console's Ctrl+C, which the program answers with a clean end
# (web listener stopped, engine released, history and log written, exit code 0). SIGTERM and
# SIGHUP would end the Wine process at once with nothing saved, and SIGQUIT ends one of its
# threads and leaves the rest hanging. So this script stays in between: every stop signal it
# gets becomes SIGINT for the program, and it ends with the program's own exit code.
# Standard input is passed on explicitly: a program started with & would read /dev/null.
[ -z "$stopping" ] || exit 0
program=
trap 'stopping=1; [ -z "$program" ] || kill -INT "$program" 2>/dev/null || true' INT TERM HUP QUIT
wine ./korvane-console.exe "$@" <&0 &
program=$!
code=0
wait "$program" || code=$?
if [ -n "$stopping" ]; then
  # A stop signal ends the wait early. For a moment at start Wine does not yet listen for
  # SIGINT (a program started with & ignores it until then), so it is asked again each
  # second until it has ended; a wait that already had the program's end finds nothing more.
  tenths=1
  while kill -0 "$program" 2>/dev/null; do
    [ $((tenths % 10)) -ne 0 ] || kill -INT "$program" 2>/dev/null || true
    tenths=$((tenths + 1))
    sleep 0.1
  done
  again=0
  wait "$program" 2>/dev/null || again=$?
  [ "$again" -eq 127 ] || code=$again
fi
exit "$code"
