#include "platform/FileDescriptor.h"

#include <unistd.h>

namespace kelvarin {

void FileDescriptor::Reset(int fd)
{
    if (m_fd >= 0 && m_fd != fd)
        ::close(m_fd);
    m_fd = fd;
}

} // namespace kelvarin
