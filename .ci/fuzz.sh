#!/usr/bin/env bash
# Fuzz smoke run: builds every libFuzzer target in fuzz/ with clang 14 and
# runs each one for a short bounded time on a copy of its seed corpus (the
# repository is never written), failing on any crash, sanitizer report,
# failed check, time-out or memory blow-up.
#
# Environment: KYORI_FUZZ_SECONDS (default 20) per target; KYORI_FUZZ_BUILD
# (default build-fuzz) for the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${KYORI_FUZZ_SECONDS:-20}"
build="${KYORI_FUZZ_BUILD:-build-fuzz}"

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v clang++-14 >/dev/null 2>&1 || need+=(clang-14)
compgen -G "/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
  need+=(libclang-rt-14-dev)
[ -f /usr/include/eigen3/Eigen/Core ] || need+=(libeigen3-dev)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "fuzz.sh: missing ${need[*]}; install them as root" >&2
    exit 1
  fi
  # shellcheck source=.ci/apt_install.sh
  . .ci/apt_install.sh
  apt_install "${need[@]}" </dev/null
fi

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DKYORI_FUZZ=ON -DKYORI_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo </dev/null

targets=()
for corpus in fuzz/corpus/*/; do
  targets+=("$(basename "$corpus")")
done
cmake --build "$build" -j2 --target "${targets[@]}" </dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
passed=0
for target in "${targets[@]}"; do
  cp -r "fuzz/corpus/$target" "$work/$target"
  echo "== $target: ${seconds} s"
  if "$build/fuzz/$target" "$work/$target" -max_total_time="$seconds" -seed=1 \
      -timeout=25 -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/$target-" </dev/null >"$work/$target.log" 2>&1; then
    grep -E "^#[0-9]+[[:space:]]+DONE|stat::average_exec_per_sec" "$work/$target.log" || true
    passed=$((passed + 1))
  else
    echo "-- $target FAILED; its log ends:"
    tail -n 60 "$work/$target.log"
    for artifact in "$work/$target"-*; do
      [ -e "$artifact" ] || continue
      echo "-- input $(basename "$artifact") (hex):"
      od -A d -t x1 "$artifact" | head -n 40
    done
    failed=$((failed + 1))
  fi
done
echo "fuzz: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
