#!/usr/bin/env bash
# The packaging leg of CI.
#
# Debian package, from the native build in build/ (configured and built here
# if it is not yet):
#   - cpack -G DEB; the package's name, version and dependencies (libc6 alone)
#     and the files it holds;
#   - dpkg -i; the installed files, and the manual page through man with
#     warnings on (none may show);
#   - the installed /usr/bin/kyori: --version names the package's version, and
#     a batch run of the installed sample writes, with no message but the
#     spread warnings, the same bytes as
#     the end-to-end test's expected report.
# The package is removed again at the end unless it was installed before.
#
# Windows zip, when build-mingw/ holds kyori.exe (.ci/windows.sh builds it):
#   - cpack -G ZIP; the zip holds kyori.exe, README.md and kyori_in.txt in one
#     folder, the two text files as in the repository.
#
# Runs as root without standard input. dpkg-dev (dpkg-shlibdeps), file,
# man-db and, for the build, libeigen3-dev are installed with apt-get when
# missing.
set -euo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
BUILD_MINGW="$ROOT/build-mingw"
EXPECTED_REPORT="$ROOT/tests/data/e2e/sample_data_file/expected/files/kyori_out.txt"
PACKAGE_FILES=(
  /usr/bin/kyori
  /usr/share/doc/kyori/README.md
  /usr/share/doc/kyori/kyori_in.txt
  /usr/share/man/man1/kyori.1
)

# shellcheck source=.ci/apt_install.sh
. "$ROOT/.ci/apt_install.sh"

step() { printf '== package: %s\n' "$*"; }
die() { printf 'package: %s\n' "$*" >&2; exit 1; }

WORK="$(mktemp -d)"
WAS_INSTALLED=0
cleanup() {
  if [ "$WAS_INSTALLED" = 0 ] && dpkg-query -W kyori >/dev/null 2>&1; then
    dpkg --purge kyori >/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

install_missing_tools() {
  local missing=()
  # cpack finds the package's dependencies with dpkg-shlibdeps, on the files
  # that file(1) says are programs.
  command -v dpkg-shlibdeps >/dev/null || missing+=(dpkg-dev)
  command -v file >/dev/null || missing+=(file)
  command -v man >/dev/null || missing+=(man-db)
  [ -f /usr/include/eigen3/Eigen/Core ] || missing+=(libeigen3-dev)
  [ ${#missing[@]} -eq 0 ] && return
  step "installing ${missing[*]}"
  apt_install "${missing[@]}"
}

build_deb() {
  [ -f "$BUILD/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$BUILD"
  cmake --build "$BUILD" -j2 --target kyori
  rm -f "$BUILD"/kyori_*.deb "$BUILD"/kyori_*.deb.sha256
  step "cpack -G DEB in $BUILD"
  (cd "$BUILD" && cpack -G DEB)
  local debs=("$BUILD"/kyori_*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || die "cpack made no single kyori_*.deb: ${debs[*]}"
  DEB="${debs[0]}"
}

project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$BUILD/CMakeCache.txt"
}

check_deb() {
  local name version depends
  name="$(dpkg-deb -f "$DEB" Package)"
  version="$(dpkg-deb -f "$DEB" Version)"
  depends="$(dpkg-deb -f "$DEB" Depends)"
  step "$(basename "$DEB"): Package $name, Version $version, Depends $depends"
  [ "$name" = kyori ] || die "package name $name, not kyori"
  [ "$version" = "$(project_version)" ] || die "package version $version, project version $(project_version)"
  # The C++ runtime is linked in: the C library is all the program loads.
  local libc_only='^libc6( \(>= [0-9][^)]*\))?$'
  [[ "$depends" =~ $libc_only ]] || die "dependencies beyond libc6: $depends"
  dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}' | sort >"$WORK/held"
  printf '%s\n' "${PACKAGE_FILES[@]}" | sort >"$WORK/wanted"
  diff -u "$WORK/wanted" "$WORK/held" || die "the package does not hold exactly the files above"
}

install_deb() {
  if dpkg-query -W -f='${db:Status-Status}' kyori 2>/dev/null | grep -qx installed; then
    WAS_INSTALLED=1
  fi
  step "dpkg -i $(basename "$DEB")"
  # Minimal images may tell dpkg to leave out manual pages and documents:
  # this package's own are always wanted.
  dpkg --path-include='/usr/share/man/man1/kyori.1' --path-include='/usr/share/doc/kyori/*' \
    -i "$DEB"
}

check_installed_files() {
  local file
  for file in "${PACKAGE_FILES[@]}"; do
    [ -f "$file" ] || die "$file is not installed"
    dpkg -S "$file" | grep -q '^kyori: ' || die "dpkg does not list $file as kyori's"
  done
  [ -x /usr/bin/kyori ] || die "/usr/bin/kyori is not executable"
  cmp "$ROOT/README.md" /usr/share/doc/kyori/README.md
  cmp "$ROOT/examples/kyori_in.txt" /usr/share/doc/kyori/kyori_in.txt
  cmp "$ROOT/doc/kyori.1" /usr/share/man/man1/kyori.1
  step "installed: ${PACKAGE_FILES[*]}"
}

check_man_page() {
  local found
  found="$(man -w kyori)"
  [ "$found" = /usr/share/man/man1/kyori.1 ] || die "man -w kyori finds '$found'"
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l /usr/share/man/man1/kyori.1 >"$WORK/man.txt" 2>"$WORK/man.err"
  if [ -s "$WORK/man.err" ]; then
    cat "$WORK/man.err" >&2
    die "the installed manual page renders with warnings"
  fi
  grep -q '^NAME' "$WORK/man.txt" || die "the manual page renders without a NAME section"
  step "man kyori: $(wc -l <"$WORK/man.txt") lines at 80 columns, no warnings"
}

run_installed_program() {
  local version status=0
  version="$(dpkg-deb -f "$DEB" Version)"
  /usr/bin/kyori --version >"$WORK/version.out" 2>"$WORK/version.err" || status=$?
  [ "$status" = 0 ] || die "kyori --version: exit status $status; $(head -c 300 "$WORK/version.err")"
  grep -qF "$version" <(head -n 1 "$WORK/version.out") ||
    die "kyori --version: '$(head -n 1 "$WORK/version.out")' does not name version $version"
  step "kyori --version: $(head -n 1 "$WORK/version.out")"

  status=0
  /usr/bin/kyori /usr/share/doc/kyori/kyori_in.txt "$WORK/out.txt" \
    >"$WORK/batch.out" 2>"$WORK/batch.err" || status=$?
  [ "$status" = 0 ] || die "kyori kyori_in.txt out.txt: exit status $status; $(head -c 300 "$WORK/batch.err")"
  # Nothing on standard output; on standard error at most the compatible
  # arithmetic's warnings about the sample's spreads.
  [ ! -s "$WORK/batch.out" ] && ! grep -qv '^kyori: .*: warning: ' "$WORK/batch.err" ||
    die "kyori kyori_in.txt out.txt printed something: $(cat "$WORK/batch.out" "$WORK/batch.err" | head -c 300)"
  cmp "$EXPECTED_REPORT" "$WORK/out.txt" || die "the batch run's report differs from $EXPECTED_REPORT"
  step "kyori /usr/share/doc/kyori/kyori_in.txt out.txt: silent, report as expected"
}

check_zip() {
  if [ ! -f "$BUILD_MINGW/kyori.exe" ]; then
    step "no kyori.exe in $BUILD_MINGW: the Windows zip is not made"
    return
  fi
  rm -f "$BUILD_MINGW"/kyori-*.zip "$BUILD_MINGW"/kyori-*.zip.sha256
  step "cpack -G ZIP in $BUILD_MINGW"
  (cd "$BUILD_MINGW" && cpack -G ZIP)
  local zips=("$BUILD_MINGW"/kyori-*.zip)
  [ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || die "cpack made no single kyori-*.zip: ${zips[*]}"
  local top
  top="$(basename "${zips[0]}" .zip)"
  (cd "$WORK" && cmake -E tar tf "${zips[0]}") | sort >"$WORK/zip_held"
  printf '%s\n' "$top/README.md" "$top/kyori.exe" "$top/kyori_in.txt" | sort >"$WORK/zip_wanted"
  diff -u "$WORK/zip_wanted" "$WORK/zip_held" || die "the zip does not hold exactly the files above"
  mkdir "$WORK/zip" && (cd "$WORK/zip" && cmake -E tar xf "${zips[0]}")
  cmp "$ROOT/README.md" "$WORK/zip/$top/README.md"
  cmp "$ROOT/examples/kyori_in.txt" "$WORK/zip/$top/kyori_in.txt"
  step "$(basename "${zips[0]}"): $(tr '\n' ' ' <"$WORK/zip_held")"
}

install_missing_tools
build_deb
check_deb
install_deb
check_installed_files
check_man_page
check_zip
run_installed_program
