// One thread drives every slow client, so a thousand of them cost the benchmark little CPU.
#include "slow_client_swarm.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include <string>

namespace morvalen::bench {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

const std::string trickled_head =
    "GET /sttot/getbrief.ashx?line=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Trickle: ";

}  // namespace

struct SlowClientSwarm::Client : std::enable_shared_from_this<Client> {
    Client(SlowClientSwarm& owner, tcp::endpoint server, std::chrono::milliseconds byte_interval)
        : swarm(owner), endpoint(server), interval(byte_interval), socket(owner.io_), timer(owner.io_) {}

    void connect() {
        socket = tcp::socket(swarm.io_);
        sent = 0;
        const unsigned round = ++generation;
        socket.async_connect(endpoint, [self = shared_from_this(), round](const error_code& error) {
            if (round != self->generation) return;
            if (error) {
                self->retry_later();
                return;
            }
            ++self->swarm.connected_;
            self->watch_close(round);
            self->tick(round);
        });
    }

    // Anything from the server, or its close, ends this connection's attempt.
    void watch_close(unsigned round) {
        socket.async_read_some(asio::buffer(incoming), [self = shared_from_this(), round](const error_code&, std::size_t) {
            if (round != self->generation) return;
            --self->swarm.connected_;
            ++self->swarm.cut_off_;
            self->drop_and_reconnect();
        });
    }

    void tick(unsigned round) {
        timer.expires_after(interval);
        timer.async_wait([self = shared_from_this(), round](const error_code& error) {
            if (error || round != self->generation) return;
            const std::size_t at = self->sent++;
            self->byte = at < trickled_head.size() ? trickled_head[at] : 'a';
            asio::async_write(self->socket, asio::buffer(&self->byte, 1),
                              [self, round](const error_code& written, std::size_t) {
                                  if (round != self->generation) return;
                                  if (written) return;  // the pending read reports the close
                                  self->tick(round);
                              });
        });
    }

    void drop_and_reconnect() {
        error_code ignored;
        socket.close(ignored);
        timer.cancel();
        connect();
    }

    void retry_later() {
        ++generation;
        timer.expires_after(std::chrono::milliseconds(50));
        timer.async_wait([self = shared_from_this()](const error_code& error) {
            if (!error) self->connect();
        });
    }

    SlowClientSwarm& swarm;
    tcp::endpoint endpoint;
    std::chrono::milliseconds interval;
    tcp::socket socket;
    asio::steady_timer timer;
    unsigned generation = 0;
    std::size_t sent = 0;
    char byte = 0;
    char incoming[512];
};

SlowClientSwarm::SlowClientSwarm(int port, std::size_t clients, std::chrono::milliseconds byte_interval) {
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
    for (std::size_t i = 0; i < clients; ++i) {
        clients_.push_back(std::make_shared<Client>(*this, endpoint, byte_interval));
        clients_.back()->connect();
    }
    thread_ = std::thread([this] { io_.run(); });
}

SlowClientSwarm::~SlowClientSwarm() {
    io_.stop();
    thread_.join();
    clients_.clear();
}

}  // namespace morvalen::bench
