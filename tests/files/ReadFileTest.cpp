// The bounded whole-file reader every XML and configuration reader goes through: what it reads
// and the one line it gives for each kind of input it refuses.

#include "util/files/ReadFile.h"

#include "tests/common/TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray local(const QString &path) { return QFile::encodeName(path); }

// Writes bytes into the FIFO at path from another thread (the open blocks until a reader comes)
// and closes it. The bytes fit the pipe's buffer, so the writer never waits for the reader.
std::thread feedFifo(const QString &path, QByteArray bytes)
{
    return std::thread([name = local(path), bytes] {
        // A reader that stops early closes the FIFO: EPIPE here, not a SIGPIPE for the test.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        const int fd = ::open(name.constData(), O_WRONLY);
        if (fd < 0)
            return;
        const ssize_t written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
        (void)written;
        ::close(fd);
    });
}

TEST(ReadWholeFile, ReadsFilesAndStreamsWithinTheBound)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray content("line one\0with a NUL\r\nand no end", 31);
    quortest::writeFile(dir.filePath("plain"), content);
    quortest::writeFile(dir.filePath("empty"), QByteArray());

    QByteArray bytes("left over");
    util::Failure failure;
    EXPECT_TRUE(util::readWholeFile(dir.filePath("plain"), bytes, &failure))
        << failure.text().toStdString();
    EXPECT_EQ(bytes, content);
    EXPECT_TRUE(util::readWholeFile(dir.filePath("empty"), bytes, &failure));
    EXPECT_TRUE(bytes.isEmpty());
    // Exactly the bound is read; one byte more is refused with the bound named.
    EXPECT_TRUE(util::readWholeFile(dir.filePath("plain"), bytes, &failure, 31));
    EXPECT_FALSE(util::readWholeFile(dir.filePath("plain"), bytes, &failure, 30));
    EXPECT_EQ(failure.text(), dir.filePath("plain") + ": larger than 30 bytes");
    EXPECT_TRUE(bytes.isEmpty());

    // A FIFO is read to its end, and bounded like a file.
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(local(fifo).constData(), 0600), 0);
    const QByteArray streamed(40000, 'x');
    std::thread writer = feedFifo(fifo, streamed);
    EXPECT_TRUE(util::readWholeFile(fifo, bytes, &failure)) << failure.text().toStdString();
    writer.join();
    EXPECT_EQ(bytes, streamed);
    writer = feedFifo(fifo, streamed);
    EXPECT_FALSE(util::readWholeFile(fifo, bytes, &failure, 2048));
    writer.join();
    EXPECT_EQ(failure.text(), fifo + ": larger than 2 KiB");
    EXPECT_TRUE(bytes.isEmpty());

    // Bounds beyond the first 64 KiB buffer: the buffer grows to the bound and one byte more,
    // so a stream just over the bound is refused and one at the bound read whole.
    for (const int bound : {65536, 65537, 200000, 1 << 20}) {
        for (const int size : {bound, bound + 1, 2 * bound}) {
            const QByteArray stream(size, 'y');
            writer = feedFifo(fifo, stream);
            const bool read = util::readWholeFile(fifo, bytes, &failure, bound);
            writer.join();
            EXPECT_EQ(read, size <= bound) << size << " bytes, bound " << bound;
            EXPECT_EQ(bytes.size(), size <= bound ? size : 0) << size << " bytes, bound " << bound;
        }
    }
}

TEST(ReadWholeFile, RefusesWhatItCannotReadWithOneLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray bytes;
    util::Failure failure;

    EXPECT_FALSE(util::readWholeFile(dir.filePath("missing"), bytes, &failure));
    EXPECT_EQ(failure.error, ENOENT);
    EXPECT_EQ(failure.text(), dir.filePath("missing") + ": No such file or directory");
    EXPECT_FALSE(util::readWholeFile(QString(), bytes, &failure));
    EXPECT_EQ(failure.error, ENOENT);
    EXPECT_FALSE(util::readWholeFile(dir.path(), bytes, &failure));
    // A folder is no missing file.
    EXPECT_EQ(failure.error, EISDIR);
    EXPECT_EQ(failure.text(), dir.path() + ": Is a directory");

    // A socket is neither a file nor a stream to read to its end.
    const QString socketPath = dir.filePath("sock");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = local(socketPath);
    ASSERT_LT(static_cast<size_t>(name.size()), sizeof address.sun_path);
    std::copy(name.begin(), name.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    EXPECT_FALSE(util::readWholeFile(socketPath, bytes, &failure));
    ::close(fd);
    EXPECT_TRUE(failure.text() == socketPath + ": not a file to read" || failure.error == ENXIO)
        << failure.text().toStdString();

    // Resources compiled into the program are bounded too.
    const QString resource(":/Resources/defaultFileNaming.xml");
    EXPECT_TRUE(util::readWholeFile(resource, bytes, &failure)) << failure.text().toStdString();
    EXPECT_TRUE(bytes.contains("<"));
    EXPECT_FALSE(util::readWholeFile(resource, bytes, &failure, 10));
    EXPECT_EQ(failure.text(), resource + ": larger than 10 bytes");
    EXPECT_FALSE(util::readWholeFile(":/no/such", bytes, &failure));
    EXPECT_EQ(failure.text(), ":/no/such: no such resource");
    EXPECT_TRUE(bytes.isEmpty());
}

} // namespace
