#include "platform/FileDescriptor.h"

#include <io.h>

namespace kelvarin {

void FileDescriptor::Reset(int fd)
{
    if (m_fd >= 0 && m_fd != fd)
        ::_close(m_fd);
    m_fd = fd;
}

} // namespace kelvarin
