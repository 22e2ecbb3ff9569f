#include "data/file_io.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

// The temporary file is hidden (leading dot) so that no file list shows it, and carries at
// most this many bytes of the target's name so that its own name stays short enough.
constexpr std::size_t kTempNameKeep = 64;
constexpr mode_t kNewFileMode = 0666;  // before the umask, as for any newly created file
// Pieces handed out by readFileInPieces.
constexpr std::size_t kReadPieceBytes = 4 << 20;

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The mode a file created by open() would get: 0666 without the process's umask bits.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kNewFileMode & ~mask;
}

// Cuts a UTF-8 name to at most n bytes without splitting a character.
std::string utf8Prefix(const std::string& s, std::size_t n)
{
    if (s.size() <= n) return s;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

void syncDirectory(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes the bytes (whole, or else as produce gives them) to a temporary file beside the
// target, makes them durable and renames the file over the target.
bool writeTo(const std::string& path, const std::function<bool(Bytes& out)>& produce, const Bytes* whole);

// Opens a plain file for reading; -1 when it cannot. Non-blocking, so that a FIFO or device
// put where a file was expected never hangs the job (such files are refused anyway).
int openPlainFile(const std::string& path, struct stat& st)
{
    if (path.empty() || path.find('\0') != std::string::npos) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool readFileInPieces(const std::string& path, const std::function<bool(std::string_view piece)>& take)
{
    struct stat st;
    const int fd = openPlainFile(path, st);
    if (fd < 0) return false;
    std::unique_ptr<char[]> buffer(new char[kReadPieceBytes]);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.get(), kReadPieceBytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0 || !take(std::string_view(buffer.get(), static_cast<std::size_t>(n)))) break;
    }
    ::close(fd);
    return ok;
}

Bytes readWholeFile(const std::string& path)
{
    struct stat st;
    const int fd = openPlainFile(path, st);
    if (fd < 0) return Bytes();
    Bytes bytes;
    // One byte more than the file holds, so that reaching its end needs no growth.
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() + bytes.size() / 2 + 65536);  // file grew
        const ssize_t n = ::read(fd, &bytes[got], bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return Bytes();
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

bool writeWholeFile(const std::string& path, const Bytes& bytes)
{
    return writeTo(path, nullptr, &bytes);
}

bool writeWholeFile(const std::string& path, const std::function<bool(Bytes& out)>& produce)
{
    if (!produce) return false;
    return writeTo(path, produce, nullptr);
}

namespace {

bool writeTo(const std::string& path, const std::function<bool(Bytes& out)>& produce, const Bytes* whole)
{
    // A zero byte would cut the path short and write somewhere else.
    if (path.empty() || path.find('\0') != std::string::npos) return false;

    // Write through a symbolic link to the file it names, as opening the link would.
    std::string target = path;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) target = resolved;
    }

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) return false;

    mode_t mode = newFileMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false;  // never replace a directory or a device
        // A file that could not be opened for writing is not replaced either.
        if (::access(target.c_str(), W_OK) != 0) return false;
        mode = st.st_mode & 07777;
    }

    std::string temp = (slash == std::string::npos ? std::string() : dir + "/") + "." +
                       utf8Prefix(name, kTempNameKeep) + ".XXXXXX";
    const int fd = ::mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) return false;

    bool ok = true;
    if (whole) {
        ok = writeAll(fd, whole->data(), whole->size());
    } else {
        Bytes piece;
        for (bool more = true; ok && more;) {
            piece.clear();
            more = produce(piece);
            ok = writeAll(fd, piece.data(), piece.size());
        }
    }
    ok = ok && ::fchmod(fd, mode) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncDirectory(dir);
    return true;
}

}  // namespace
