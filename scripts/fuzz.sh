#!/bin/bash
# Runs one fuzz target under libFuzzer with the address and undefined-behaviour sanitizers.
#   scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
#   scripts/fuzz.sh list
# TARGET is a name under tests/fuzz/corpus (criterion, ini, jpeg, ...). SECONDS defaults to 300.
# Builds with clang into build-fuzz/ (QUORVEL_FUZZ_BUILD_DIR overrides); the growing corpus goes
# to build-fuzz/corpus/TARGET, seeded from tests/fuzz/corpus/TARGET, and any failing input to
# build-fuzz/artifacts/TARGET/. FUZZ_JOBS limits the build's parallel jobs (default: all cores).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUORVEL_FUZZ_BUILD_DIR:-$root/build-fuzz}
seeds=$root/tests/fuzz/corpus

if [ "${1:-}" = "" ] || [ "$1" = list ]; then
    ls "$seeds"
    exit 0
fi
target=$1
seconds=${2:-300}
shift $(( $# >= 2 ? 2 : 1 ))
if [ ! -d "$seeds/$target" ]; then
    echo "fuzz: no target '$target'; one of: $(ls "$seeds" | tr '\n' ' ')" >&2
    exit 2
fi
QUORVEL_SETUP_INSTALL_ONLY=1 bash "$root/scripts/setup.sh"
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ is missing; without it, ctest replays the seed corpora only" >&2
    exit 1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -Wno-dev -DQV_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$build" -j "${FUZZ_JOBS:-$(nproc)}" "fuzz_$target"

corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
mkdir -p "$corpus" "$artifacts"
cp -n "$seeds/$target"/* "$corpus"/ 2>/dev/null || true

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Qt's font set-up (the edit-mask target needs a widget) keeps fontconfig's caches to the end.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/fuzz/lsan.supp}
exec "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=20 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 "$@" "$corpus"
