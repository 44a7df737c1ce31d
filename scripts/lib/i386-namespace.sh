# Sourced by the scripts that run the 32-bit build. These machines' kernel
# cannot execute 32-bit x86 code, so Debian's 32-bit Wine loader runs under
# QEMU's user-mode emulator, through a binfmt_misc rule that lives only in a
# user and mount namespace of the script's own: nothing changes for other
# processes on the machine and nothing needs undoing.

I386_BINFMT_DIR=/proc/sys/fs/binfmt_misc
# i386 ELF executables and shared objects (e_type 2 or 3, e_machine 3).
I386_BINFMT_RULE=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F'

# Runs the calling script again inside a new user and mount namespace, unless
# it already runs in one; there, registers QEMU for i386 programs. Returns 1,
# with the reason on stderr, where that cannot be done.
#   i386_namespace_enter "$0" "$@"
i386_namespace_enter() {
  if [[ -z ${TAVRICK_I386_NAMESPACE:-} ]]; then
    TAVRICK_I386_NAMESPACE=1 exec unshare --user --map-root-user --mount --fork "$@"
  fi
  if [[ ! -x /usr/bin/qemu-i386 || ! -x /usr/lib/wine/wine ]]; then
    echo "i386: qemu-i386 or 32-bit Wine is missing; scripts/bootstrap installs them" >&2
    return 1
  fi
  if ! mount -t binfmt_misc binfmt_misc "$I386_BINFMT_DIR" 2>/dev/null; then
    echo "i386: Linux $(uname -r) gives a user namespace no binfmt_misc instance of its own" \
      "(Linux 6.7 and later do). Run the tests on a newer kernel, or register qemu-i386 for" \
      "i386 ELF programs machine-wide (Debian's qemu-user-binfmt) and run them there." >&2
    return 1
  fi
  printf '%b' "$I386_BINFMT_RULE" >"$I386_BINFMT_DIR/register"
}

# TRUE when a namespace of this kind can run 32-bit Wine here.
i386_namespace_works() {
  [[ -x /usr/bin/qemu-i386 && -x /usr/lib/wine/wine ]] &&
    unshare --user --map-root-user --mount --fork \
      mount -t binfmt_misc binfmt_misc "$I386_BINFMT_DIR" 2>/dev/null
}
