#pragma once

namespace kelvarin {

// Owns one open file descriptor of the C library (a POSIX descriptor; on
// Windows the C runtime's) and closes it when it goes. Move-only: exactly
// one owner closes it.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(other.Release()) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    bool Valid() const { return m_fd >= 0; }
    explicit operator bool() const { return Valid(); }
    // The descriptor, -1 when none; still owned by this object.
    int Get() const { return m_fd; }
    // Gives the descriptor up without closing it.
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the descriptor held, if any, and takes fd.
    void Reset(int fd = -1);

private:
    int m_fd = -1;
};

} // namespace kelvarin
