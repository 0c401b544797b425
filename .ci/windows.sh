#!/usr/bin/env bash
# The Windows leg of CI: cross-builds kyori.exe with mingw-w64 into
# build-mingw/, checks that it imports only system DLLs, runs the checks of
# the Windows platform layer (tests/windows/platform_check.cc) and the
# end-to-end tests (the native test program, built beforehand into build/)
# against kyori.exe under wine.
#
# Runs as root without standard input. The compiler, wine and Eigen's
# headers are installed with apt-get when missing. Eigen is headers only, the
# same for every target: the cross build takes Debian's, in
# /usr/include/eigen3.
#
# The program runs with LC_ALL=C.UTF-8, which wine takes for an English
# Windows (ANSI code page 1252) keeping Unix file names in UTF-8: Shift-JIS
# file names must open there as on a Japanese Windows.
#
# Environment (all optional):
#   KYORI_E2E_TEST    the end-to-end test program (default build/tests/e2e_test)
#   KYORI_E2E_ARGS    extra arguments for it (e.g. --gtest_filter=...)
#   KYORI_RUN_LOCALE  another locale for the runs (e.g. ja_JP.UTF-8 for a
#                     Japanese Windows, code page 932; it must be installed)
set -euo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-mingw"
EIGEN_INCLUDE=/usr/include/eigen3
E2E_TEST="${KYORI_E2E_TEST:-$ROOT/build/tests/e2e_test}"

# shellcheck source=.ci/apt_install.sh
. "$ROOT/.ci/apt_install.sh"

step() { printf '== windows: %s\n' "$*"; }
die() { printf 'windows: %s\n' "$*" >&2; exit 1; }

install_missing_tools() {
  local missing=()
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64)
  local wine_status
  wine_status="$(dpkg-query -W -f='${Status}' wine64 2>/dev/null || true)"
  [ "$wine_status" = "install ok installed" ] || missing+=(wine64)
  [ -f "$EIGEN_INCLUDE/Eigen/Core" ] || missing+=(libeigen3-dev)
  [ ${#missing[@]} -eq 0 ] && return
  step "installing ${missing[*]}"
  apt_install "${missing[@]}"
}

# The 64-bit loader of the wine64 package lies outside PATH.
find_wine_loader() {
  local path
  while IFS= read -r path; do
    if [ "$(basename "$path")" = wine64 ] && [ -f "$path" ] && [ -x "$path" ]; then
      printf '%s\n' "$path"
      return
    fi
  done < <(dpkg -L wine64)
  die "no wine64 loader among the files of the wine64 package"
}

cross_build() {
  step "cross-building kyori.exe in $BUILD"
  cmake -S "$ROOT" -B "$BUILD" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DKYORI_EIGEN_INCLUDE_DIR="$EIGEN_INCLUDE" \
    -DKYORI_BUILD_TESTS=OFF
  cmake --build "$BUILD" -j2 --target kyori
}

# kyori.exe must run on its own: every DLL it imports must come with Windows
# (the compiler's runtime libraries, all named lib*.dll, are linked in).
check_imports() {
  local dlls
  dlls="$(x86_64-w64-mingw32-objdump -p "$BUILD/kyori.exe" | awk '/DLL Name:/ {print $3}')"
  step "imports: $(echo $dlls)"
  if grep -qi '^lib' <<<"$dlls"; then
    die "kyori.exe needs a DLL that Windows does not have: $(grep -i '^lib' <<<"$dlls" | tr '\n' ' ')"
  fi
}

prepare_wine() {
  export WINEDEBUG=-all
  export WINEPREFIX="$BUILD/wineprefix"
  # No browser or framework runtime is needed for a console program: skip the
  # offers to install them when the prefix is created.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    step "creating the wine prefix (about ten seconds)"
    "$WINE" wineboot --init >/dev/null 2>&1 || true
  fi
  # Wait for the prefix's setup to finish before the first test starts.
  "$WINESERVER" -w || true
}

# The platform layer's own checks, in an empty folder, with a Japanese
# argument that wine hands over in UTF-16.
run_platform_check() {
  step "platform checks under wine"
  x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -Wall -Wextra -static -I"$ROOT" \
    "$ROOT/tests/windows/platform_check.cc" "$ROOT/platform/platform_windows.cc" \
    -o "$BUILD/platform_check.exe"
  local folder status=0
  folder="$(mktemp -d)"
  (cd "$folder" && LC_ALL="${KYORI_RUN_LOCALE:-C.UTF-8}" "$WINE" "$BUILD/platform_check.exe" 品種.txt "a b") || status=$?
  rm -rf "$folder"
  return "$status"
}

run_end_to_end() {
  [ -x "$E2E_TEST" ] || die "no end-to-end test program at $E2E_TEST (build the native tests into build/ first)"
  step "end-to-end tests against kyori.exe under wine"
  KYORI_PROGRAM="$BUILD/kyori.exe" \
  KYORI_LAUNCHER="$WINE" \
  KYORI_PROGRAM_IS_WINDOWS=1 \
    "$E2E_TEST" ${KYORI_E2E_ARGS:-}
}

install_missing_tools
cross_build
check_imports
WINE="$(find_wine_loader)"
WINESERVER="$(dirname "$WINE")/wineserver64"
[ -x "$WINESERVER" ] || WINESERVER="$(dirname "$WINE")/wineserver"
prepare_wine
status=0
run_platform_check || status=$?
run_end_to_end || status=$?
# Let the wine server go down with the run rather than linger after it.
"$WINESERVER" -k >/dev/null 2>&1 || true
exit "$status"
