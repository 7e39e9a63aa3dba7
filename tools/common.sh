# Shared by ./run, ./test and .ci/run.
TC_PACKAGES=(build-essential cmake ninja-build pkg-config libzmq3-dev zlib1g-dev libssl-dev libasio-dev libexpat1-dev
             qt6-base-dev qt6-multimedia-dev libxss-dev libgtest-dev libgmock-dev openssl
             nlohmann-json3-dev xvfb xauth
             # Scripts of the languages offered at login: Arabic, Bengali, Devanagari (core), Chinese (cjk).
             fonts-noto-core fonts-noto-cjk)

tc_install_packages() {
  local missing=()
  for p in "${TC_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

tc_jobs() {
  local n
  n=$(nproc 2>/dev/null || echo 2)
  echo "${TC_JOBS:-$n}"
}

# Line tables only: enough for sanitizer reports and backtraces, a fraction of the
# disk of full debug information (three trees of about 100 test programs each).
TC_DEBUG_INFO="-g1"

# Configures the RelWithDebInfo build that ./run starts and ./test also tests: one
# configuration for both, so that neither turns the other's targets off. The
# benchmarks are built here, optimized; ./run builds only its two programs.
tc_configure_release() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 $TC_DEBUG_INFO -DNDEBUG" -DTC_BUILD_TESTS=ON -DTC_BUILD_BENCH=ON
}

# What ./run does to the release tree after ./test (configure again, build its two programs)
# must compile and link nothing: a second configure that wrote other compile lines would
# make a newcomer's first ./run rebuild the whole tree.
tc_check_run_reuses() {
  tc_configure_release "$1" >/dev/null
  local out
  out=$(cmake --build "$1" --target trading-sim trading-client)
  if grep -E "Building|Linking" <<<"$out" >&2; then
    echo "./run after ./test built the lines above again." >&2
    return 1
  fi
}

# With TC_PRUNE_BUILDS=1 (CI), a build tree is removed once its tests passed, so
# that the three trees never fill the disk together.
tc_prune_build() {
  if [ "${TC_PRUNE_BUILDS:-0}" = 1 ]; then
    echo "Removing $1 (its tests passed)"
    rm -rf "$1"
  fi
}

# Stage timing: `tc_stage NAME COMMAND...` runs COMMAND and records its seconds;
# tc_print_stages (run on exit) prints every stage's time and the total.
TC_STAGES=()
TC_STARTED=$SECONDS
tc_stage() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  TC_STAGES+=("$(printf '%-28s %5d s' "$name" $((SECONDS - start)))")
}
tc_print_stages() {
  local status=$?
  echo "Stage times:"
  local line
  for line in "${TC_STAGES[@]}"; do echo "  $line"; done
  printf '  %-28s %5d s\n' "total" $((SECONDS - TC_STARTED))
  return $status
}

# Runs a tree's tests (arguments go to ctest).
tc_ctest() {
  local tree=$1
  shift
  (cd "$tree" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(tc_jobs)" "$@")
}
