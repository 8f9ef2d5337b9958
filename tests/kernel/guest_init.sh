#!/bin/busybox sh
# The guest's first process: a busybox system with the host's filesystem at /host, read-only, and
# the host's /usr, /work and libraries reached through it, so the guest runs the very programs the
# host built. The steps to run come on the kernel's command line (q42.steps=PATH, a host path).
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
while read -r module; do
  insmod "/modules/$module.ko" || echo "q42-guest: could not load $module"
done </modules/order
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144 host /host
mkdir -p /tmp/out
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 out /tmp/out
steps=$(sed -n 's/.*q42\.steps=\([^ ]*\).*/\1/p' /proc/cmdline)
echo "q42-guest: up, kernel $(uname -r)"
sh "/host$steps"
echo "q42-guest: done"
sync
poweroff -f
