// SPDX-License-Identifier: MIT
// q42-usbfs-claim NODE: takes interface 0 of the USB device at NODE (/dev/bus/usb/BBB/DDD) from its
// driver through usbfs, as brltty does to some adapters, and holds it until standard input ends.
// Only the real-kernel tests run it, as root in their virtual machine.
#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: q42-usbfs-claim /dev/bus/usb/BBB/DDD\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR);
    if (fd < 0) {
        std::fprintf(stderr, "q42-usbfs-claim: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    usbdevfs_disconnect_claim claim{};
    claim.interface = 0;
    claim.flags = 0;
    if (::ioctl(fd, USBDEVFS_DISCONNECT_CLAIM, &claim) != 0) {
        std::fprintf(stderr, "q42-usbfs-claim: cannot claim interface 0: %s\n", std::strerror(errno));
        return 1;
    }
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    unsigned int interface = 0;
    ::ioctl(fd, USBDEVFS_RELEASEINTERFACE, &interface);
    usbdevfs_ioctl command{0, USBDEVFS_CONNECT, nullptr};  // the driver takes it back
    ::ioctl(fd, USBDEVFS_IOCTL, &command);
    ::close(fd);
    return 0;
}
