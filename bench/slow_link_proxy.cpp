// A TCP proxy on loopback that holds every chunk of bytes for a fixed time in each direction,
// as a network link with that one-way latency would; the bandwidth stays loopback's.
// Usage: slow_link_proxy LISTEN_PORT UPSTREAM_PORT DELAY_MICROSECONDS
// Prints "listening" once it accepts connections.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk
{
    Clock::time_point due;
    std::vector<char> bytes;
};

// One direction of one connection: a reader stamps each chunk as it arrives, a writer passes it
// on once its time has come, so chunks in flight overlap as on a real link.
struct Direction
{
    int from = -1;
    int to = -1;
    std::chrono::microseconds delay{0};
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Chunk> queue;
    bool ended = false;

    void read()
    {
        std::vector<char> buffer(65536);
        for (;;) {
            const ssize_t n = ::read(from, buffer.data(), buffer.size());
            if (n <= 0)
                break;
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back({Clock::now() + delay, std::vector<char>(buffer.begin(), buffer.begin() + n)});
            ready.notify_one();
        }
        std::lock_guard<std::mutex> lock(mutex);
        ended = true;
        ready.notify_one();
    }

    void write()
    {
        for (;;) {
            Chunk chunk;
            {
                std::unique_lock<std::mutex> lock(mutex);
                ready.wait(lock, [&] { return !queue.empty() || ended; });
                if (queue.empty())
                    break;
                chunk = std::move(queue.front());
                queue.pop_front();
            }
            // Sleep most of the wait, then spin: a sleep alone overshoots by tens of microseconds.
            const auto early = chunk.due - std::chrono::microseconds(80);
            if (Clock::now() < early)
                std::this_thread::sleep_until(early);
            while (Clock::now() < chunk.due)
                std::this_thread::yield();
            size_t done = 0;
            while (done < chunk.bytes.size()) {
                const ssize_t n = ::write(to, chunk.bytes.data() + done, chunk.bytes.size() - done);
                if (n <= 0)
                    goto out;
                done += size_t(n);
            }
        }
    out:
        ::shutdown(to, SHUT_WR);
    }
};

void noDelay(int fd)
{
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void serve(int client, int upstreamPort, std::chrono::microseconds delay)
{
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(upstreamPort));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(server, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        ::close(server);
        ::close(client);
        return;
    }
    noDelay(client);
    noDelay(server);
    auto up = std::make_unique<Direction>();
    auto down = std::make_unique<Direction>();
    up->from = client, up->to = server, up->delay = delay;
    down->from = server, down->to = client, down->delay = delay;
    std::thread threads[] = {std::thread(&Direction::read, up.get()), std::thread(&Direction::write, up.get()),
                             std::thread(&Direction::read, down.get()), std::thread(&Direction::write, down.get())};
    for (std::thread &t : threads)
        t.join();
    ::close(server);
    ::close(client);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s LISTEN_PORT UPSTREAM_PORT DELAY_MICROSECONDS\n", argv[0]);
        return 2;
    }
    const int listenPort = std::atoi(argv[1]);
    const int upstreamPort = std::atoi(argv[2]);
    const std::chrono::microseconds delay(std::atoi(argv[3]));
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(uint16_t(listenPort));
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 || ::listen(listener, 64) != 0) {
        std::perror("slow_link_proxy");
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    for (;;) {
        const int client = ::accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        std::thread(serve, client, upstreamPort, delay).detach();
    }
}
