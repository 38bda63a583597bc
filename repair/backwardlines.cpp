#include "repair/backwardlines.h"

#include <cerrno>
#include <unistd.h>

namespace brevik {

namespace {

constexpr qint64 kChunk = 64 * 1024;

} // namespace

BackwardLines::BackwardLines(int fd, qint64 size, qint64 lineLimit)
    : m_fd(fd), m_position(std::max<qint64>(0, size)), m_size(std::max<qint64>(0, size)),
      m_lineLimit(lineLimit)
{
}

std::optional<QByteArray> BackwardLines::next()
{
    while (m_ready.isEmpty()) {
        if (m_position == 0) {
            if (m_done)
                return std::nullopt;
            // The first line of the file is whole.
            m_done = true;
            complete();
            continue;
        }
        if (!readChunk())
            return std::nullopt;
    }
    return m_ready.takeFirst();
}

void BackwardLines::complete()
{
    if (m_carried > 0 && m_carried <= m_lineLimit)
        m_ready << m_carry;
    m_carry.clear();
    m_carried = 0;
}

bool BackwardLines::readChunk()
{
    const qint64 length = std::min(kChunk, m_position);
    m_position -= length;
    m_chunk.resize(length);
    qint64 done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(m_fd, m_chunk.data() + done, size_t(length - done), off_t(m_position + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    qsizetype end = m_chunk.size();
    while (true) {
        const qsizetype newline = end > 0 ? m_chunk.lastIndexOf('\n', end - 1) : -1;
        const qsizetype start = newline + 1;
        const qint64 piece = end - start;
        m_carried += piece;
        if (m_carried <= m_lineLimit)
            m_carry.prepend(m_chunk.constData() + start, piece);
        else
            m_carry.clear();
        if (newline < 0)
            break;
        complete();
        end = newline;
    }
    return true;
}

} // namespace brevik
