#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace brevik {

// A file's lines read backwards from its end, newest first, whole lines only. Lines longer
// than a limit are stepped over without being kept: they cost the time to look for their line
// feed, never memory; what the reader holds at once is one chunk and one line.
class BackwardLines {
public:
    BackwardLines(int fd, qint64 size, qint64 lineLimit);

    // The next older line (without its line feed); none at the file's start, or when the
    // file cannot be read.
    std::optional<QByteArray> next();

    // Bytes read from the end so far.
    qint64 consumed() const { return m_size - m_position; }
    // Every line has been handed out.
    bool atStart() const { return m_position == 0 && m_done && m_ready.isEmpty(); }

private:
    void complete();
    bool readChunk();

    int m_fd;
    qint64 m_position;
    qint64 m_size;
    qint64 m_lineLimit;
    QByteArray m_chunk;
    QByteArray m_carry; // the end of a line whose start lies further back
    qint64 m_carried = 0;
    QList<QByteArray> m_ready;
    bool m_done = false;
};

} // namespace brevik
