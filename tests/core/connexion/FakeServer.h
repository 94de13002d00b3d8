#pragma once
// A PostgreSQL server reduced to its start of conversation, on 127.0.0.1 in a thread of the test: it
// answers libpq's start-up as a real server configured this way would (trust, or a password asked in
// clear; a missing database; a user refused), then "SELECT 1". What each desk sent is kept, so a test
// sees how many times the program connected and with which password.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace kv::test {

class FakeServer {
public:
    struct Rules {
        QByteArray password;        ///< empty: trusts every user; otherwise asked, and only this one taken
        QByteArray missingDatabase; ///< a database the server does not have
        QByteArray refusedUser;     ///< a user no rule lets in
    };

    explicit FakeServer(Rules rules) : rules_(std::move(rules))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 8);
        socklen_t len = sizeof addr;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~FakeServer()
    {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int port() const { return port_; }
    /// The start-ups received (every connection that got as far as naming its user).
    int connections() const
    {
        QMutexLocker lock(&mutex_);
        return connections_;
    }
    /// The passwords received, in order.
    QList<QByteArray> passwords() const
    {
        QMutexLocker lock(&mutex_);
        return passwords_;
    }

private:
    static bool readAll(int fd, char* out, size_t size)
    {
        while (size > 0) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return false;
            const ssize_t n = ::read(fd, out, size);
            if (n <= 0)
                return false;
            out += n;
            size -= size_t(n);
        }
        return true;
    }
    static quint32 int32(const char* p)
    {
        quint32 v;
        std::memcpy(&v, p, 4);
        return ntohl(v);
    }
    static QByteArray message(char type, const QByteArray& body)
    {
        QByteArray m(1, type);
        const quint32 len = htonl(quint32(body.size() + 4));
        m.append(reinterpret_cast<const char*>(&len), 4);
        return m + body;
    }
    static QByteArray be32(quint32 v)
    {
        v = htonl(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    }
    static QByteArray be16(quint16 v)
    {
        v = htons(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 2);
    }
    static QByteArray fatal(const char* state, const QByteArray& text)
    {
        QByteArray body;
        body += QByteArray("SFATAL") + '\0' + QByteArray("VFATAL") + '\0' + 'C' + state + '\0' + 'M' + text + '\0'
                + QByteArray("Fauth.c") + '\0' + QByteArray("L1") + '\0' + QByteArray("Rcheck") + '\0' + '\0';
        return message('E', body);
    }
    static void send(int fd, const QByteArray& data) { (void)!::write(fd, data.constData(), size_t(data.size())); }

    void serve()
    {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0)
                continue;
            talk(fd);
            ::close(fd);
        }
    }

    void talk(int fd)
    {
        QByteArray user, database;
        for (;;) { // encryption requests are declined; then the start-up packet
            char head[8];
            if (!readAll(fd, head, 8))
                return;
            const quint32 len = int32(head), code = int32(head + 4);
            if (code == 80877103 || code == 80877104) {
                send(fd, "N");
                continue;
            }
            QByteArray rest(int(len) - 8, '\0');
            if (!readAll(fd, rest.data(), size_t(rest.size())))
                return;
            const QList<QByteArray> fields = rest.split('\0');
            for (int i = 0; i + 1 < fields.size(); i += 2) {
                if (fields[i] == "user")
                    user = fields[i + 1];
                else if (fields[i] == "database")
                    database = fields[i + 1];
            }
            break;
        }
        {
            QMutexLocker lock(&mutex_);
            ++connections_;
        }
        if (user == rules_.refusedUser) {
            send(fd, fatal("28000", "no pg_hba.conf entry for host \"127.0.0.1\", user \"" + user + "\", database \"" + database
                                        + "\", no encryption"));
            return;
        }
        if (!rules_.password.isEmpty()) {
            send(fd, message('R', be32(3))); // a password in clear
            char head[5];
            if (!readAll(fd, head, 5) || head[0] != 'p')
                return; // libpq hangs up when it has no password to give
            QByteArray body(int(int32(head + 1)) - 4, '\0');
            if (!readAll(fd, body.data(), size_t(body.size())))
                return;
            const QByteArray given = body.left(body.indexOf('\0'));
            {
                QMutexLocker lock(&mutex_);
                passwords_ << given;
            }
            if (given != rules_.password) {
                send(fd, fatal("28P01", "password authentication failed for user \"" + user + "\""));
                return;
            }
        }
        if (database == rules_.missingDatabase) {
            send(fd, fatal("3D000", "database \"" + database + "\" does not exist"));
            return;
        }
        send(fd, message('R', be32(0)) + message('Z', "I"));
        for (;;) {
            char head[5];
            if (!readAll(fd, head, 5) || head[0] == 'X')
                return;
            QByteArray body(int(int32(head + 1)) - 4, '\0');
            if (!readAll(fd, body.data(), size_t(body.size())))
                return;
            if (head[0] != 'Q')
                continue;
            QByteArray row = be16(1) + QByteArray("?column?") + '\0' + be32(0) + be16(0) + be32(23) + be16(4) + be32(0xFFFFFFFF) + be16(0);
            send(fd, message('T', row) + message('D', be16(1) + be32(1) + "1") + message('C', QByteArray("SELECT 1") + '\0')
                         + message('Z', "I"));
        }
    }

    Rules rules_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable QMutex mutex_;
    int connections_ = 0;
    QList<QByteArray> passwords_;
};

} // namespace kv::test
