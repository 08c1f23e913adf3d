# Shared set-up for scripts/run and scripts/test: installs what is missing, configures, builds.
# Sourced, not run.

TESSALINE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Debian packages the build, the tests and the program need.
TESSALINE_PACKAGES=(
    g++ cmake ninja-build pkg-config
    clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev fonts-dejavu-core
    librtmidi-dev libasound2-dev
    jackd2 libjack-jackd2-dev python3
    dpkg-dev file desktop-file-utils appstream lintian
    qemu-system-x86 busybox-static
    g++-mingw-w64-x86-64-posix googletest wine wine64
)

tessaline_install() {
    local missing=()
    local pkg
    for pkg in "${TESSALINE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# tessaline_build <preset>: configure (once) and build one preset.
tessaline_build() {
    local preset=$1
    (cd "$TESSALINE_ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset")
}
