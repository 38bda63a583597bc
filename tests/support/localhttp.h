#pragma once

#include <QByteArray>
#include <QHash>

#include <atomic>
#include <thread>

// A tiny HTTP/1.1 server on 127.0.0.1 for tests that run the real curl: it answers each
// request path with the status the test gave for it (404 otherwise) and closes.
class LocalHttpServer {
public:
    explicit LocalHttpServer(QHash<QByteArray, int> statusByPath);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    bool isListening() const { return m_fd >= 0; }
    quint16 port() const { return m_port; }
    int requests() const { return m_requests.load(); }

private:
    void serve();

    QHash<QByteArray, int> m_statusByPath;
    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

// A forwarding HTTP proxy on 127.0.0.1 for absolute-form requests ("GET http://h:p/x").
class LocalHttpProxy {
public:
    LocalHttpProxy();
    ~LocalHttpProxy();
    LocalHttpProxy(const LocalHttpProxy &) = delete;
    LocalHttpProxy &operator=(const LocalHttpProxy &) = delete;

    bool isListening() const { return m_fd >= 0; }
    quint16 port() const { return m_port; }
    int forwarded() const { return m_forwarded.load(); }

private:
    void serve();

    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_forwarded{0};
    std::thread m_thread;
};

// A port on 127.0.0.1 where nothing listens (bound once, then closed).
quint16 deadLocalPort();
