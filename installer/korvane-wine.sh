#!/usr/bin/env bash
# Starts Korvane Server from the folder this script is in, under Wine on Linux.
#
#   ./korvane-wine.sh        starts with the settings sheet
#   ./korvane-wine.sh -s     skips the settings sheet (arguments go to the program)
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

# Wine's own fonts, from the Wine installed here, when the prefix lacks them: Marlett draws
# the caption buttons, Tahoma is the dialog font, sserife.fon the "MS Sans Serif" of the
# program's dialogs (without it a wider font cuts their labels). Debian ships them in
# fonts-wine.
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

folder=$(winepath -w "$here")
wine reg add 'HKLM\Software\Tarnwick\Korvane' /v 'Install Dir' /t REG_SZ /d "$folder" /f /reg:32 \
  >/dev/null 2>&1 || { say "could not write the registry value"; exit 1; }

cd "$here"
exec wine ./korvane-server.exe "$@"
