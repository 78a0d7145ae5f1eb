// The rate set on a tty, however it was set: the PC may use the classic rate constants or
// the Linux way of naming any rate in bit/s, and the second form only shows in termios2.
// Kept apart because the kernel's termios2 header cannot meet <termios.h>.
#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

namespace kest::emu {

std::uint32_t line_rate(int fd) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
    return tio.c_ospeed;
}

}  // namespace kest::emu
#endif
