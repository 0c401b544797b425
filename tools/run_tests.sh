#!/usr/bin/env bash
# Builds kyori and runs every test, first installing what the tests need.
#
#   tools/run_tests.sh [CMAKE_OPTION...]     e.g. -DKYORI_DIFFERENTIAL_CASES=200
#
# 1. On Debian or Ubuntu, checks with dpkg which of REQUIRED_PACKAGES and
#    OPTIONAL_PACKAGES are missing and installs them with apt-get, as root or
#    through sudo when sudo asks for no password. Without either it prints the
#    apt-get command to run and stops when a required package is missing; a
#    missing optional package only skips the tests that need it. An optional
#    package that the system's package lists do not have is skipped with a note.
#    Elsewhere it checks for a C++ compiler and CMake and goes on.
# 2. Configures the build folder (default build/), builds with two jobs and
#    runs ctest --output-on-failure; its exit status is ctest's.
#
# Environment:
#   KYORI_BUILD_DIR       the build folder (default build)
#   KYORI_SKIP_OPTIONAL=1 install only the required packages
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# What the build and the tests cannot do without (libeigen3-dev: the headers
# of Eigen, which the principal components are computed with).
REQUIRED_PACKAGES=(g++ make cmake libeigen3-dev libgtest-dev python3 libc-bin)
# The reference tools that some tests compare against or render with; each of
# these tests reports itself skipped where its tool is absent (ctest lists it
# under "did not run"). Add new ones here.
OPTIONAL_PACKAGES=(
  man-db            # the manual page check
  python3-scipy     # trees and the arithmetics table compared with SciPy
  python3-pandas    # the CSV and TSV tables read back with pandas
  python3-numpy     # the .npy matrix read back with numpy
  python3-sklearn   # the neighbours compared with scikit-learn
  python3-faiss     # bench/neighbours.py's third anchor (no test needs it)
  r-cran-ape        # neighbour joining compared with R's ape
  r-cran-cluster    # groups and silhouette widths compared with R's cluster
  libxml2-utils     # xmllint: the SVG picture is well-formed XML
  chromium          # the SVG picture rendered to check it is not blank
  fonts-noto-cjk    # Japanese names in the rendered picture
)

BUILD_DIR="${KYORI_BUILD_DIR:-build}"

say() { printf 'run_tests: %s\n' "$*"; }

is_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]
}

# The packages of the arguments that are not installed, one a line.
missing_of() {
  local package
  for package in "$@"; do
    is_installed "$package" || printf '%s\n' "$package"
  done
}

# Whether the package lists offer the package for installation.
is_available() {
  local candidate
  candidate="$(apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ {print $2}')"
  [ -n "$candidate" ] && [ "$candidate" != "(none)" ]
}

# Sets AS_ROOT to the command prefix that runs apt-get as root, or returns 1.
find_root() {
  if [ "$(id -u)" -eq 0 ]; then
    AS_ROOT=()
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    AS_ROOT=(sudo -n)
  else
    return 1
  fi
}

apt_get() {
  "${AS_ROOT[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=600 -q "$@"
}

install_packages() {
  local optional=("${OPTIONAL_PACKAGES[@]}")
  [ "${KYORI_SKIP_OPTIONAL:-0}" = 1 ] && optional=()
  local required_missing optional_missing
  mapfile -t required_missing < <(missing_of "${REQUIRED_PACKAGES[@]}")
  mapfile -t optional_missing < <(missing_of "${optional[@]}")
  if [ ${#required_missing[@]} -eq 0 ] && [ ${#optional_missing[@]} -eq 0 ]; then
    say "every package the tests use is installed"
    return
  fi

  if ! find_root; then
    if [ ${#required_missing[@]} -gt 0 ]; then
      local all_missing=("${required_missing[@]}" "${optional_missing[@]}")
      say "missing packages; install them as root, then run this again:"
      printf '  sudo apt-get install %s\n' "${all_missing[*]}"
      exit 1
    fi
    say "the tests that need these packages are skipped; to run them too:"
    printf '  sudo apt-get install %s\n' "${optional_missing[*]}"
    return
  fi

  say "installing ${required_missing[*]} ${optional_missing[*]}"
  apt_get update
  local to_install=("${required_missing[@]}") package
  for package in "${optional_missing[@]}"; do
    if is_available "$package"; then
      to_install+=("$package")
    else
      say "$package is not in this system's package lists: the tests that need it are skipped"
    fi
  done
  [ ${#to_install[@]} -eq 0 ] || apt_get install -y --no-install-recommends "${to_install[@]}"
}

# Without apt-get: the build needs at least a C++ compiler and CMake.
check_tools() {
  if ! command -v cmake >/dev/null 2>&1 ||
     ! { command -v c++ || command -v g++ || command -v clang++; } >/dev/null 2>&1; then
    say "no apt-get here: install a C++20 compiler, CMake, Eigen 3, GoogleTest and Python 3, then run this again"
    exit 1
  fi
}

if command -v dpkg-query >/dev/null 2>&1 && command -v apt-get >/dev/null 2>&1; then
  install_packages
else
  check_tools
fi

cmake -S . -B "$BUILD_DIR" -DKYORI_BUILD_TESTS=ON "$@"
cmake --build "$BUILD_DIR" -j2
ctest --test-dir "$BUILD_DIR" --output-on-failure
