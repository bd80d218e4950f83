#include "DescriptorWrite.h"

#include <cerrno>
#include <unistd.h>

namespace morvane {

Written WriteAllTo(int fd, std::span<const std::uint8_t> data, std::optional<std::int64_t> offset)
{
    Written written;
    while (written.done < data.size()) {
        const std::uint8_t* from = data.data() + written.done;
        const std::size_t count = data.size() - written.done;
        const ssize_t n = offset ? ::pwrite(fd, from, count,
                              static_cast<off_t>(*offset + static_cast<std::int64_t>(written.done)))
                                 : ::write(fd, from, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            written.error = n < 0 ? errno : EIO;
            return written;
        }
        written.done += static_cast<std::size_t>(n);
    }
    return written;
}

} // namespace morvane
