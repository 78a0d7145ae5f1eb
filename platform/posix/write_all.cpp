#include "platform/posix/write_all.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace kest::posix {

bool write_all(int fd, std::span<const std::uint8_t> bytes, std::chrono::steady_clock::time_point deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace kest::posix
