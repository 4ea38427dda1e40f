// One client connection: request heads read under a deadline, each answered on the handler pool.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>

#include "service/brief_service.h"

namespace morvalen::service {

struct ConnectionLimits {
    // The whole head of a request, from its first byte, however slowly it trickles.
    std::chrono::milliseconds head_timeout{5000};
    // Between requests on a kept-alive connection.
    std::chrono::milliseconds keep_alive_timeout{5000};
    // An answer must be taken within this plus its size at the slowest rate below, so a big update
    // archive still reaches a slow line while a client that reads nothing is let go.
    std::chrono::milliseconds write_timeout{5000};
    std::size_t slowest_read_bytes_per_second = 16 * 1024;
    // After a closing answer, how long the client's remaining bytes are read and dropped, so the close
    // does not reset the connection before the client has read the answer.
    std::chrono::milliseconds linger_timeout{1000};
    std::size_t max_head_bytes = 8192;
};

// What every connection of one server shares; it outlives the connections.
struct ConnectionShared {
    ConnectionLimits limits;
    boost::asio::thread_pool* handlers = nullptr;
    // Called on a handler thread with the client the request counts against; never throws.
    std::function<Reply(std::string_view target, std::string_view client)> answer;
    // Called on the event loop; never throws and never waits. nullopt: ask the handler thread.
    std::function<std::optional<Reply>(std::string_view target)> answer_at_once;
    // The browser page's files, answered on the event loop from memory; may be empty.
    std::function<std::optional<Reply>(std::string_view target, bool accepts_gzip)> page;
    // The field in which a trusted proxy names the client it forwards; empty: none is believed.
    std::string forwarded_client_field;
    std::vector<std::string> trusted_proxies;
};

// All of a connection's own work runs on the server's single event-loop thread; only the answer is
// computed on the handler pool.
class HttpConnection : public std::enable_shared_from_this<HttpConnection> {
public:
    // counter was incremented for this connection and is decremented when it ends.
    HttpConnection(boost::asio::ip::tcp::socket socket, ConnectionShared& shared, std::atomic<std::size_t>& counter);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    void serve();
    // The connection cap is reached: answer 503 and close.
    void refuse();

private:
    enum class Phase { idle, head, handling, writing, lingering, closed };

    void fresh_parser();
    void next_request();
    void read_more();
    void parse();
    // forwarded: what the request's forwarded-client field says, if anything.
    void dispatch(std::string target, std::string_view forwarded);
    void respond(const Reply& reply, std::string_view extra_fields = {});
    void refuse_request(int status, std::string_view text, std::string_view extra_fields = {});
    void write(std::string bytes);
    // The head, then the stream's chunks one after another, each read when the last was taken.
    void write_streamed(std::string head, std::shared_ptr<StreamedBody> body);
    void write_next_chunk();
    // Sends out_, the head or a chunk; the next chunk follows once it is taken.
    void send_streamed_piece();
    void after_write();
    void linger();
    void drain();
    void arm(std::chrono::milliseconds timeout);
    void close();

    boost::asio::ip::tcp::socket socket_;
    boost::asio::steady_timer deadline_;
    ConnectionShared& shared_;
    std::atomic<std::size_t>& counter_;
    Phase phase_ = Phase::idle;
    bool keep_alive_ = false;
    bool http10_ = false;
    bool close_after_write_ = false;
    bool request_line_seen_ = false;
    std::string in_;   // received and not yet parsed
    std::string out_;  // the answer being written
    std::string peer_;  // the peer's address, once a request needed it
    std::shared_ptr<StreamedBody> streamed_;  // the streamed body, while it is being sent
    std::size_t streamed_offset_ = 0;
    std::optional<boost::beast::http::request_parser<boost::beast::http::empty_body>> parser_;
};

}  // namespace morvalen::service
