# What the scripts share; sourced by them (". scripts/lib.sh"), never run. Sets:
#   top   the project folder      B     its build folder
#   jobs  parallel build jobs: JOBS, or every core
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=$top/build
jobs=${JOBS:-$(nproc)}

# Whether this host runs 32-bit code, as scripts/wine-run finds out: sets host32 to yes or no, and host32_why to
# the reason when no.
check_host32() {
  local answer
  answer=$("$top/scripts/wine-run" --host32)
  host32=${answer%% *}
  host32_why=
  [ "$host32" = yes ] || host32_why=${answer#no }
}

# The toolchain of the Windows build this host can run: i686 (the shipped one) or, where the host runs no 32-bit
# code, x86_64. Calls check_host32 first.
runnable_toolchain() {
  check_host32
  if [ "$host32" = yes ]; then echo i686; else echo x86_64; fi
}

# make_demo_packages MKPAK QUILSTR_EXE OUT: the demo application's three packages (version 1.0) in folder OUT.
make_demo_packages() {
  local mkpak=$1 quilstr=$2 out=$3
  mkdir -p "$out"
  "$mkpak" create "$out/Quilstr.pak" --product Quillostrand --version 1.0 "$quilstr" "$top/demo/app" >/dev/null &&
    "$mkpak" create "$out/Delphi10.pak" --product "Quillostrand Delphi 1.0 editor" --version 1.0 \
      "$top/demo/delphi10" >/dev/null &&
    "$mkpak" create "$out/Delphi20.pak" --product "Quillostrand Delphi 2.0 editor" --version 1.0 \
      "$top/demo/delphi20" >/dev/null
}
