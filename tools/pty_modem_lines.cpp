// SPDX-License-Identifier: MIT
// libq42-pty-modem-lines.so, preloaded into Wine where the Windows programs talk to q42-unit-sim:
// the unit's pseudo-terminal answers TIOCMGET as a cabled USB adapter's tty does (CTS, DSR and CD
// up) instead of refusing it. Wine 10 ends a pending WaitCommEvent as cancelled when it cannot read
// the modem lines, so on a bare pseudo-terminal every wait for an answer would end so; a real
// adapter never refuses the call.
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdarg>

namespace {

// Unix98 pseudo-terminal slaves have the majors 136 to 143.
bool IsPseudoTerminal(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

using Ioctl = int (*)(int, unsigned long, ...);

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    static const Ioctl real = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    const int result = real(fd, request, argument);
    if (result == -1 && errno == ENOTTY && request == TIOCMGET && argument != nullptr && IsPseudoTerminal(fd)) {
        *static_cast<int*>(argument) = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
        errno = 0;
        return 0;
    }
    return result;
}
