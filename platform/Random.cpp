#include "platform/Random.h"

#include <cerrno>
#include <sys/random.h>

namespace platform {

bool GetRandomBytes(std::span<uint8_t> out)
{
    size_t filled = 0;
    while (filled < out.size()) {
        const ssize_t got = getrandom(out.data() + filled, out.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        filled += static_cast<size_t>(got);
    }
    return true;
}

} // namespace platform
