// Clients that hold connections open by trickling an endless request head, a byte at a time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

#include <boost/asio/io_context.hpp>

namespace morvalen::bench {

class SlowClientSwarm {
public:
    // Each client sends one byte every byte_interval; a client the server cuts off connects again.
    SlowClientSwarm(int port, std::size_t clients, std::chrono::milliseconds byte_interval);
    ~SlowClientSwarm();
    SlowClientSwarm(const SlowClientSwarm&) = delete;
    SlowClientSwarm& operator=(const SlowClientSwarm&) = delete;

    std::size_t connected() const { return connected_; }
    std::size_t cut_off() const { return cut_off_; }

private:
    struct Client;
    boost::asio::io_context io_;
    std::vector<std::shared_ptr<Client>> clients_;
    std::atomic<std::size_t> connected_{0};
    std::atomic<std::size_t> cut_off_{0};
    std::thread thread_;
};

}  // namespace morvalen::bench
