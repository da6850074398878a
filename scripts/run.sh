#!/usr/bin/env bash
# Builds Kelvarin and opens it on the bundled sample game. Without a display
# it shows the same model headless: kelvarin-cli reads the sample's default
# packages and prints the class tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"

game="$root/build/sample"
# A private settings store in the build tree: the user's own settings are never
# touched, and the first start opens on the sample instead of asking for the
# game directory.
export XDG_CONFIG_HOME="$root/build/config"
store="$XDG_CONFIG_HOME/Kelvarin/registry.reg"
if [ ! -f "$store" ]; then
  mkdir -p "$(dirname "$store")"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Vexa\\Kelvarin]\r\n"BaseDir"="."\r\n"CommandLine"="ctf-face"\r\n"bUCCVisibleCompile"=dword:00000000\r\n"bUCCVisibleExport"=dword:00000000\r\n"bTestrunAfterCompile"=dword:00000000\r\n"UCCPriority"=dword:00000020\r\n"LastCompiledPackage"=""\r\n' > "$store"
fi

cd "$game"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
  exec "$root/build/kelvarin"
fi
echo "Kelvarin: no display found (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
if [ -x "$root/build/kelvarin-cli" ]; then
  echo "Kelvarin: showing the sample game headless with kelvarin-cli instead:" >&2
  exec "$root/build/kelvarin-cli" --base "$game" --read-default --print classes
fi
echo "Kelvarin: start it from a desktop session, or under xvfb-run." >&2
exit 3
