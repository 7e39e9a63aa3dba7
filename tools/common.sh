# Shared by ./run, ./test and .ci/run.
TC_PACKAGES=(build-essential cmake ninja-build pkg-config libzmq3-dev zlib1g-dev libssl-dev libasio-dev
             qt6-base-dev qt6-multimedia-dev libxss-dev libgtest-dev libgmock-dev openssl
             nlohmann-json3-dev xvfb xauth)

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

# Configures the RelWithDebInfo build that ./run starts and ./test also tests: one
# configuration for both, so that neither turns the other's targets off.
tc_configure_release() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTC_BUILD_TESTS=ON -DTC_BUILD_BENCH=OFF
}
