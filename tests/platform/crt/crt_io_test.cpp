#include "platform/crt/crt_io.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CrtIo : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = get_current_dir_name();
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previous_), 0);
        free(previous_);
    }

    vls::test::TempDir dir_;
    char* previous_ = nullptr;
};

TEST_F(CrtIo, OpensThroughWindowsNamesAndSeeks)
{
    dir_.write("Updates/Project", "0123456789");
    const int fd = _open("updates\\PROJECT", _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(_filelength(fd), 10);
    EXPECT_EQ(_lseek(fd, 4, SEEK_SET), 4);
    char bytes[4] = {};
    EXPECT_EQ(_read(fd, bytes, 3), 3);
    EXPECT_EQ(std::string(bytes, 3), "456");
    EXPECT_EQ(_tell(fd), 7);
    EXPECT_EQ(_lseek(fd, -2, SEEK_END), 8);
    EXPECT_EQ(_read(fd, bytes, 4), 2); // short read at the end
    EXPECT_EQ(_read(fd, bytes, 4), 0);
    EXPECT_EQ(_lseek(fd, 0, 7), -1);
    EXPECT_EQ(_close(fd), 0);
}

TEST_F(CrtIo, ReportsFailuresWithMinusOne)
{
    errno = 0;
    EXPECT_EQ(_open("missing.bin", _O_RDONLY | _O_BINARY), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_open("q:\\resource.001", _O_RDONLY), -1); // no such drive
    std::filesystem::create_directories(dir_.path() / "updates");
    errno = 0;
    EXPECT_EQ(_open("updates", _O_RDONLY | _O_BINARY), -1); // a folder is no file
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(_filelength(-1), -1);
    EXPECT_EQ(_tell(12345), -1);
    EXPECT_EQ(_close(12345), -1);
}

// A FIFO under a file's name would hold an open (or its first read) for ever;
// such names are refused at once, for reading and for writing alike.
TEST_F(CrtIo, RefusesFifosWithoutWaitingOnThem)
{
    ASSERT_EQ(mkfifo((dir_.path() / "lastgame").c_str(), 0644), 0);
    for (const int mode : {_O_RDONLY | _O_BINARY, _O_WRONLY | _O_BINARY, _O_RDWR | _O_CREAT | _O_TRUNC}) {
        errno = 0;
        EXPECT_EQ(_open("lastgame", mode), -1) << mode;
        EXPECT_EQ(errno, EACCES) << mode;
    }
}

TEST_F(CrtIo, CreatesWritesAndTruncates)
{
    int fd = _open("new.dat", _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(_write(fd, "abc\r\n", 5), 5);
    _close(fd);
    EXPECT_EQ(dir_.read("new.dat"), "abc\r\n");
    EXPECT_EQ(_open("NEW.DAT", _O_WRONLY | _O_CREAT | _O_EXCL), -1);
    EXPECT_EQ(errno, EEXIST);
}

// The bytes reach the stream in pieces of every size, so a CR LF split
// across two reads must still come out as one LF.
TEST_F(CrtIo, TextStreamReadsCrLfAsLf)
{
    const std::string text = "10-20,first\r\n30-40,second\r\nlone\rcr\r\n\r\nend\r";
    dir_.write("clip.subtitle", text);
    for (const size_t bufferSize : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(4096)}) {
        const int fd = _open("clip.subtitle", _O_RDONLY | _O_BINARY);
        ASSERT_GE(fd, 0);
        FILE* stream = _fdopen(fd, "rt");
        ASSERT_NE(stream, nullptr);
        setvbuf(stream, nullptr, _IOFBF, bufferSize);
        std::string read;
        for (int c; (c = fgetc(stream)) != EOF;)
            read += static_cast<char>(c);
        EXPECT_EQ(read, "10-20,first\n30-40,second\nlone\rcr\n\nend\r") << "buffer " << bufferSize;
        EXPECT_EQ(fclose(stream), 0);
        EXPECT_EQ(_close(fd), -1) << "closing the stream closes the descriptor";
    }
}

TEST_F(CrtIo, TextStreamStartsAtTheDescriptorPosition)
{
    dir_.write("archive", "HEADER12,line one\r\nline two\r\n");
    const int fd = _open("archive", _O_RDONLY | _O_BINARY);
    ASSERT_EQ(_lseek(fd, 6, SEEK_SET), 6);
    FILE* stream = _fdopen(fd, "r");
    char line[64];
    ASSERT_NE(fgets(line, sizeof line, stream), nullptr);
    EXPECT_STREQ(line, "12,line one\n");
    int a = 0;
    ASSERT_NE(fgets(line, sizeof line, stream), nullptr);
    EXPECT_STREQ(line, "line two\n");
    EXPECT_EQ(fscanf(stream, "%d", &a), EOF);
    fclose(stream);
}

TEST_F(CrtIo, BinaryStreamKeepsCarriageReturns)
{
    dir_.write("raw", "a\r\nb");
    const int fd = _open("raw", _O_RDONLY | _O_BINARY);
    FILE* stream = _fdopen(fd, "rb");
    char bytes[8] = {};
    EXPECT_EQ(fread(bytes, 1, sizeof bytes, stream), 4u);
    EXPECT_EQ(std::string(bytes, 4), "a\r\nb");
    fclose(stream);
    EXPECT_EQ(_fdopen(fd, "rt"), nullptr); // closed with the stream
    EXPECT_EQ(_fdopen(0, "x"), nullptr);
}

} // namespace
