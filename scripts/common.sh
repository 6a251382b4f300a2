# Shared by the run and test commands; sourced, not run.

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

# Some kernels are built without 32-bit program support (ia32 emulation off), and there
# the 32-bit Wine loader cannot start at all. The product is still built for 32-bit
# Windows; what runs here is then the same sources built for 64-bit Windows.
windows_run_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

windows_tree() {
  case "$1" in i686) echo build/win32 ;; x86_64) echo build/win64 ;; esac
}

configure_and_build() {
  local tree=$1; shift
  mkdir -p "$tree"
  if ! cmake -S . -B "$tree" -G Ninja -DZARVIK_WERROR=ON "$@" >"$tree/configure.log" 2>&1; then
    cat "$tree/configure.log" >&2
    return 1
  fi
  cmake --build "$tree" -j "$(nproc)" -- --quiet
}

build_windows() {
  configure_and_build "$(windows_tree "$1")" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DZARVIK_WIN_ARCH="$1"
}
