#include "engine/base/datafile_text_reader.h"

#include "engine/base/kestrune_file_system.h"

bool cDatafileTextReader::Fill()
{
    if (chunkPos_ < chunkSize_)
        return true;
    const std::int64_t remaining = files_.GetRemaining(slot_);
    if (remaining <= 0)
        return false;
    const auto take = static_cast<std::int32_t>(remaining < std::int64_t{sizeof chunk_} ? remaining : sizeof chunk_);
    if (files_.Read(slot_, chunk_, take) != 0)
        return false;
    chunkPos_ = 0;
    chunkSize_ = take;
    return true;
}

int cDatafileTextReader::Next()
{
    if (!Fill())
        return -1;
    const auto c = static_cast<unsigned char>(chunk_[chunkPos_++]);
    if (c == '\r' && Fill() && chunk_[chunkPos_] == '\n') {
        ++chunkPos_;
        return '\n';
    }
    return c;
}

bool cDatafileTextReader::AtEnd() { return !Fill(); }

bool cDatafileTextReader::ReadLine(char* buffer, std::int32_t size)
{
    if (size <= 0)
        return false;
    std::int32_t length = 0;
    while (length < size - 1) {
        const int c = Next();
        if (c < 0)
            break;
        buffer[length++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    buffer[length] = 0;
    return length > 0;
}
