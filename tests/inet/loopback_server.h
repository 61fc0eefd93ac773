// A TCP server on the loopback interface for the tests: it takes one
// connection at a time, keeps every byte it receives, and answers each
// request (headers, then the body its Content-Length declares) as scripted.
#pragma once

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

struct ServerScript {
    enum class Then {
        Close,  // ends its side and reads on until the client closes
        Reset,  // resets the connection
        Stall,  // sends nothing more and reads on until the client closes
    };
    std::string reply;             // sent once the request has arrived
    std::uint64_t fillerBytes = 0; // then this many bytes of FillerByte
    Then then = Then::Close;
};

// Byte `index` of a streamed body.
char FillerByte(std::uint64_t index);

class LoopbackServer {
public:
    // Listens on 127.0.0.1 (AF_INET) or ::1 (AF_INET6) on a free port; throws
    // std::runtime_error when it cannot.
    explicit LoopbackServer(ServerScript script, int family = AF_INET);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return m_port; }

    // Takes the connections still waiting, finishes the one in hand (within
    // a few seconds) and stops; what follows tells what happened.
    void Finish();
    // Every byte received, all connections in turn.
    std::string Received();
    int Connections();
    std::uint64_t BytesSent();

private:
    void Serve();
    void Handle(int connection);
    bool ReadRequest(int connection);
    bool SendAll(int connection, const char* data, std::size_t size);
    bool StreamFiller(int connection);
    void ReadUntilClosed(int connection);
    // Waits up to `milliseconds` for `events` on `socket`; false on time-out.
    static bool Await(int socket, short events, int milliseconds);
    // Receives what is there, keeping it (and a copy in `copy` when given);
    // false at the end of the stream or on error.
    bool ReceiveSome(int connection, std::string* copy);
    // The connection in hand has had its time, or the server is finishing
    // and the grace time is over.
    bool TimeIsUp();

    ServerScript m_script;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_finishing{false};
    std::chrono::steady_clock::time_point m_giveUpAt{};  // server thread only
    std::mutex m_mutex;
    std::string m_received;
    int m_connections = 0;
    std::uint64_t m_sent = 0;
    std::thread m_thread;
};
