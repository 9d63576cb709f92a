# Sourced by bootstrap and with-wine. Some 64-bit x86 Linux machines (and every ARM one) run no
# 32-bit x86 Linux program, and Wine's 32-bit side is one. There it runs under qemu-i386, user-mode
# emulation, registered for 32-bit x86 programs in a private user and mount namespace that only
# with-wine's own processes see; the wineserver is Wine's native 64-bit one. TNW_EMULATE=1 takes
# that path on a machine that runs 32-bit programs too.

emulator_cache=${TNW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell}
emulator_dir=$emulator_cache/emulator
qemu_i386=$emulator_dir/qemu-i386
wineserver64=$emulator_dir/wineserver64

needs_emulation() {
  case "${TNW_EMULATE:-0}" in
    0 | '') ;;
    *) return 0 ;;
  esac
  # The 32-bit loader comes with Wine's 32-bit packages; where it cannot start, nothing of Wine's
  # 32-bit side can.
  ! /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# What the emulator folder must hold: qemu from Debian 13 (Debian 12's 7.2 takes many minutes to
# make a prefix and crashes now and then), and the 64-bit wineserver of the same Wine version as
# the 32-bit Wine installed, since the two speak one protocol only when their versions match.
emulator_versions() {
  echo "qemu-user from trixie; wine64 $(dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null)"
}

emulator_ready() {
  [ -x "$qemu_i386" ] && [ -x "$wineserver64" ] &&
    [ "$(cat "$emulator_dir/versions" 2>/dev/null)" = "$(emulator_versions)" ]
}
