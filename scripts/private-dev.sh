# Sourced. make_private_dev: in a mount namespace of the caller's own, mounts a fresh /dev over
# the machine's: the usual nodes, pseudo-terminals of a new instance, shared memory, and no
# serial device but those a test makes (/dev/tty stays: it is the caller's own terminal). Needs root.
make_private_dev() {
  local hostdev node
  hostdev=$(mktemp -d)
  mount --bind /dev "$hostdev"
  mount -t tmpfs -o mode=0755,nosuid dev /dev
  for node in null zero full random urandom tty; do
    touch "/dev/$node"
    mount --bind "$hostdev/$node" "/dev/$node"
  done
  umount "$hostdev" && rmdir "$hostdev"
  mkdir /dev/pts /dev/shm
  mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts /dev/pts
  ln -s pts/ptmx /dev/ptmx
  mount -t tmpfs -o mode=1777 shm /dev/shm
}
