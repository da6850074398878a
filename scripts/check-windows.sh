#!/usr/bin/env bash
# Compiles every program source for Windows, without building: Debian's
# MinGW-w64 cross compiler checks the syntax and types of each file against
# Debian's Qt 6 headers, with the Windows branches (Q_OS_WIN, _WIN32) active
# and the Linux-only ones left out. Qt for Windows cannot be installed here,
# so nothing is linked or run; what this catches is code that would not
# compile on Windows (wrong Win32 calls, missing includes, mismatched types).
#   bash scripts/check-windows.sh          check every source
#   bash scripts/check-windows.sh FILE...  check these files only
# Exits non-zero when any file has an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null; then
  "$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix
fi

qt=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || true)
[ -d "$qt" ] || qt=/usr/include/x86_64-linux-gnu/qt6
if [ ! -d "$qt/QtCore" ]; then
  "$root/scripts/install-deps.sh"
fi

if [ $# -gt 0 ]; then
  files=("$@")
else
  # The stand-ins are the game's programs in the sample game, built for
  # Windows as well; the tests, benchmarks and fuzz targets are not. The
  # *_posix.cpp files are what a Windows build leaves out.
  mapfile -t files < <(find src standin -name '*.cpp' ! -name '*_posix.cpp' | LC_ALL=C sort)
fi

# The headers CMake generates at configure time, made the same way here.
generated=$(mktemp -d)
trap 'rm -rf "$generated"' EXIT
version=$(sed -n 's/^project(Kelvarin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sed "s/@PROJECT_VERSION@/$version/" src/KelvarinVersion.h.in > "$generated/KelvarinVersion.h"

# Qt's own headers and what the programs link (QtCore, QtGui, QtWidgets,
# QtNetwork), as system headers: the notes they give under MinGW (dllimport
# on inline functions, the Linux headers' way of exporting) say nothing
# about our code.
# kelvarin-cli's front gets its library's file name and folder from CMake
# (src/CMakeLists.txt); these are what a MinGW build gives it.
flags=(-std=c++20 -fsyntax-only -Wall -Wextra
  -DUNICODE -D_UNICODE -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB
  '-DKELVARIN_CLI_LIBRARY="libkelvarin-cli-run.dll"' '-DKELVARIN_CLI_LIBRARY_FOLDER="."'
  -Isrc -Istandin -I"$generated"
  -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui"
  -isystem "$qt/QtWidgets" -isystem "$qt/QtNetwork")

export compiler
check_one() {
  local out
  if out=$("$compiler" "${@:2}" "$1" 2>&1); then
    # Warnings in our own files are shown; Qt's are not ours to mend.
    if printf '%s\n' "$out" | grep -qE "^($1|src/|standin/)[^ ]*: warning"; then
      printf '%s\n' "$out"
    fi
    return 0
  fi
  printf '%s\n' "$out"
  echo "check-windows: $1 does not compile for Windows" >&2
  return 1
}
export -f check_one

echo "Checking ${#files[@]} sources for Windows with $compiler"
if printf '%s\0' "${files[@]}" | xargs -0 -P2 -I{} bash -c 'check_one "$@"' _ {} "${flags[@]}"; then
  echo "check-windows: every source compiles for Windows"
else
  echo "check-windows: errors above" >&2
  exit 1
fi
