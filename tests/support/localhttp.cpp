#include "tests/support/localhttp.h"

#include <QList>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int listenLocal(quint16 *port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

// Waits for a connection, checking every 100 ms whether the owner asked to stop.
int acceptOrStop(int fd, const std::atomic<bool> &stop)
{
    while (!stop.load()) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 100) > 0)
            return accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return -1;
}

QByteArray readHead(int fd)
{
    QByteArray head;
    char buf[2048];
    while (!head.contains("\r\n\r\n") && head.size() < 65536) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 5000) <= 0)
            break;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        head.append(buf, n);
    }
    return head;
}

void sendAll(int fd, const QByteArray &data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd, data.constData() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

QByteArray requestTarget(const QByteArray &head)
{
    const QList<QByteArray> parts = head.left(head.indexOf("\r\n")).split(' ');
    return parts.size() >= 2 ? parts.at(1) : QByteArray();
}

} // namespace

LocalHttpServer::LocalHttpServer(QHash<QByteArray, int> statusByPath)
    : m_statusByPath(std::move(statusByPath))
{
    m_fd = listenLocal(&m_port);
    if (m_fd >= 0)
        m_thread = std::thread([this] { serve(); });
}

LocalHttpServer::~LocalHttpServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        close(m_fd);
}

void LocalHttpServer::serve()
{
    for (;;) {
        const int client = acceptOrStop(m_fd, m_stop);
        if (client < 0)
            return;
        const QByteArray path = requestTarget(readHead(client));
        ++m_requests;
        const int status = m_statusByPath.value(path, 404);
        const QByteArray body = "status " + QByteArray::number(status) + "\n";
        sendAll(client, "HTTP/1.1 " + QByteArray::number(status) +
                            " X\r\nContent-Length: " + QByteArray::number(body.size()) +
                            "\r\nConnection: close\r\n\r\n" + body);
        close(client);
    }
}

LocalHttpProxy::LocalHttpProxy()
{
    m_fd = listenLocal(&m_port);
    if (m_fd >= 0)
        m_thread = std::thread([this] { serve(); });
}

LocalHttpProxy::~LocalHttpProxy()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        close(m_fd);
}

void LocalHttpProxy::serve()
{
    for (;;) {
        const int client = acceptOrStop(m_fd, m_stop);
        if (client < 0)
            return;
        QByteArray head = readHead(client);
        // Only "http://127.0.0.1:PORT/path" targets: the tests never leave the machine.
        const QByteArray target = requestTarget(head);
        const QByteArray prefix = "http://127.0.0.1:";
        int upstreamPort = 0;
        QByteArray path = "/";
        if (target.startsWith(prefix)) {
            const QByteArray rest = target.mid(prefix.size());
            const qsizetype slash = rest.indexOf('/');
            upstreamPort = rest.left(slash < 0 ? rest.size() : slash).toInt();
            if (slash >= 0)
                path = rest.mid(slash);
        }
        const int upstream = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<quint16>(upstreamPort));
        if (upstreamPort > 0 && upstream >= 0 &&
            connect(upstream, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0) {
            ++m_forwarded;
            head.replace(target, path);
            sendAll(upstream, head);
            char buf[4096];
            for (;;) {
                pollfd pfd{upstream, POLLIN, 0};
                if (poll(&pfd, 1, 5000) <= 0)
                    break;
                const ssize_t n = recv(upstream, buf, sizeof buf, 0);
                if (n <= 0)
                    break;
                sendAll(client, QByteArray(buf, n));
            }
        } else {
            sendAll(client,
                    "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        }
        if (upstream >= 0)
            close(upstream);
        close(client);
    }
}

quint16 deadLocalPort()
{
    quint16 port = 0;
    const int fd = listenLocal(&port);
    if (fd >= 0)
        close(fd);
    return port;
}
