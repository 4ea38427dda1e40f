// A loopback line host for the tests: closed, silent (accepts and never answers) or answering.
#pragma once

#include <string>
#include <vector>

#include <QTcpServer>
#include <QTcpSocket>

namespace morvalen::app::testing {

class LineHost {
public:
    enum class Mode { silent, answering };

    // Takes a free loopback port and leaves it closed.
    LineHost() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                sockets_.push_back(socket);
                if (mode_ == Mode::answering)
                    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    quint16 port() const { return port_; }

    bool open(Mode mode, std::string page = {}) {
        mode_ = mode;
        page_ = std::move(page);
        return server_.listen(QHostAddress::LocalHost, port_);
    }
    void close() {
        server_.close();
        for (QTcpSocket* socket : sockets_) socket->abort();
        sockets_.clear();
    }

private:
    void answer(QTcpSocket* socket) {
        socket->readAll();
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nConnection: close\r\n"
                                  "Content-Length: " + std::to_string(page_.size()) + "\r\n\r\n" + page_;
        socket->write(reply.data(), static_cast<qint64>(reply.size()));
        socket->disconnectFromHost();
    }

    quint16 port_ = 0;
    Mode mode_ = Mode::silent;
    std::string page_;
    QTcpServer server_;
    std::vector<QTcpSocket*> sockets_;
};

}  // namespace morvalen::app::testing
