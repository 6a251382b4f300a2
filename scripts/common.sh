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

# configure_and_build TREE [CMAKE-ARGS...]; with $targets set, builds only those targets.
configure_and_build() {
  local tree=$1; shift
  mkdir -p "$tree"
  if ! cmake -S . -B "$tree" -G Ninja -DZARVIK_WERROR=ON "$@" >"$tree/configure.log" 2>&1; then
    cat "$tree/configure.log" >&2
    return 1
  fi
  cmake --build "$tree" -j "$(nproc)" ${targets:+--target $targets} -- --quiet
}

build_windows() {
  configure_and_build "$(windows_tree "$1")" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DZARVIK_WIN_ARCH="$1"
}

# For the measuring scripts: builds the Windows tree this machine runs, and starts a private Wine
# display and prefix in WORK/env with the control library registered, stopped again on exit.
# Sets tree, work and env_cmd.
start_program_env() {
  local arch wine_arch
  arch=$(windows_run_arch)
  tree=$(windows_tree "$arch")
  build_windows "$arch"
  work=$root/$tree/$1
  rm -rf "$work" && mkdir -p "$work"
  wine_arch=win32; [ "$arch" = x86_64 ] && wine_arch=win64
  env_cmd=("$root/scripts/wine-env" --dir "$work/env" --arch "$wine_arch")
  "${env_cmd[@]}" start
  trap '"${env_cmd[@]}" stop >/dev/null 2>&1 || true' EXIT
  "${env_cmd[@]}" regsvr32 "$root/$tree/perchicon/Perchicon.ocx" >/dev/null
}
