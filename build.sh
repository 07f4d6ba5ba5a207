#!/usr/bin/env bash
# Builds Antenne on Debian 12, installing what is missing first.
#   ./build.sh run    build, then start the program (needs a graphical session)
#   ./build.sh test   build, then run every test (needs no display)
set -euo pipefail
cd "$(dirname "$0")"

action=${1:-run}
# giflib encodes the export tool's animations, libzip (found through pkg-config)
# zips an exercise's SCORM package; Google Benchmark measures frame costs.
# The laboratory's model uses Eigen, and is built a second time as WebAssembly
# for the web page by Debian's clang-14 with its wasm32 C and C++ libraries;
# esbuild bundles the page's script and style. Qt's SVG module writes the
# laboratory's graphs as vector pictures.
build_packages=(cmake g++ make pkgconf qt6-base-dev qt6-base-dev-tools qt6-svg-dev fonts-liberation2 libgif-dev libzip-dev libbenchmark-dev
                libeigen3-dev clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32
                libclang-rt-14-dev-wasm32 esbuild)
# The end-to-end test runs the real program on a virtual display; valgrind
# checks memory, clang-tidy is the static analyser. The sanitizer build is
# clang's (libclang-rt-14-dev holds its sanitizers' runtime): it compiles
# that unoptimized build in about two thirds of GCC's time. The package test
# builds the .deb (dpkg-shlibdeps is in dpkg-dev) and validates the desktop
# entry and the AppStream metainfo. The page's tests open antenne-export's
# web page in headless Chromium, driven through chromedriver by Debian's
# Selenium for Python, and in Firefox ESR, driven by puppeteer-core with
# Node.js (see below). The model's frequency figures are checked against
# SciPy's (python3-scipy).
test_packages=(xvfb openbox xdotool wmctrl imagemagick x11-utils valgrind clang-tidy libclang-rt-14-dev
               dpkg-dev desktop-file-utils appstream file chromium chromium-driver python3-selenium python3-scipy
               firefox-esr)

case "$action" in
  run) wanted=("${build_packages[@]}") ;;
  test)
    wanted=("${build_packages[@]}" "${test_packages[@]}")
    # The page's tests take a few npm packages (tests/web/package.json):
    # Debian's Node.js and npm, unless an npm is already there.
    command -v npm >/dev/null || wanted+=(nodejs npm)
    ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The page's tests' npm packages, at the versions package-lock.json pins, in
# tests/web/node_modules.
if [ "$action" = test ]; then
  (cd tests/web && npm ci --include=dev --no-audit --no-fund --loglevel=error)
fi

# The optimized, hardened build (CMakePresets.json).
cmake --preset default
cmake --build --preset default
echo "built (${SECONDS} s since the start)"

case "$action" in
  run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "Antenne is built (build/antenne), but there is no graphical display here" >&2
      echo "(neither DISPLAY nor WAYLAND_DISPLAY is set): start it from a desktop session." >&2
      exit 1
    fi
    exec build/antenne
    ;;
  test)
    # Static analysis of the project's own sources, every test in the
    # optimized build, then the sanitizer build and every test again in it.
    # The analysis runs at idle priority beside the rest: it takes the
    # processor time left by the tests, which mostly wait on timers, the
    # virtual display and the browsers. It is held while the Chromium test
    # runs, which times the page against the clock: on two cores, even at
    # idle priority, the analysis slowed the page's slider moves past their
    # budget.
    setsid chrt --idle 0 run-clang-tidy -p build -quiet "$(pwd)/(app|scenes|surface|tools|tests|bench|export|model|web)/" \
      >build/clang-tidy.log 2>&1 &
    analysis=$!
    trap 'kill -CONT -- -$analysis 2>/dev/null || true; kill -- -$analysis 2>/dev/null || true' EXIT  # the analysis and its clang-tidy processes
    ctest --preset default --exclude-regex '^chromium$'
    kill -STOP -- -$analysis 2>/dev/null || true
    ctest --preset default --tests-regex '^chromium$'
    kill -CONT -- -$analysis 2>/dev/null || true
    echo "the optimized build's tests: done (${SECONDS} s since the start)"
    cmake --workflow --preset asan
    echo "the sanitizer build and its tests: done (${SECONDS} s since the start)"
    wait $analysis || { grep -E 'warning:|error:' build/clang-tidy.log; echo "clang-tidy found problems" >&2; exit 1; }
    echo "clang-tidy: no problem found (${SECONDS} s since the start)"
    ;;
esac
