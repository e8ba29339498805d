// The loopback HTTP server as a program of its own, for clients in another process (the
// Windows download tests under Wine). Prints its base address, then a port with nothing
// listening on it, one a line, and serves until it is stopped. Besides the server's own
// answers it serves /limit (exactly 1 MiB), /oversized-undeclared (1 MiB + 1 without a
// length) and /_state: "open=N requests=N cache-control=V accept-encoding=V", the open
// connections and what the latest request for the update file asked for.
//
// With arguments ADDRESS and good|empty it also answers a proxy's request for ADDRESS (an
// absolute address on the request line) with a good update file or an empty body, so that
// the real program, told to use this server as its proxy, reaches it for its built-in
// address; SIGUSR1 turns that answer into an empty body, for a program already running
// with this server as its proxy.

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <iostream>
#include <string>

#include "support/loopback_http_server.h"

namespace {
volatile std::sig_atomic_t serve_empty = 0;
}  // namespace

int main(int argc, char** argv) {
    using vantrelle::testing::HttpAnswer;
    namespace paths = vantrelle::testing::paths;
    QCoreApplication application(argc, argv);
    vantrelle::testing::LoopbackHttpServer server;
    server.Serve("/limit", {.body = std::string(1024 * 1024, 'x')});
    server.Serve("/oversized-undeclared", {.body = std::string(1024 * 1024 + 1, 'x'),
                                           .delivery = HttpAnswer::Delivery::kUndeclared});
    if (argc == 3) {
        const std::string kind = argv[2];
        server.Serve(argv[1], {.body = kind == "good" ? vantrelle::testing::kGoodUpdateFile : ""});
    }
    std::signal(SIGUSR1, [](int) { serve_empty = 1; });
    QTimer state;
    QObject::connect(&state, &QTimer::timeout, [&] {
        if (serve_empty == 1 && argc == 3) {
            serve_empty = 0;
            server.Serve(argv[1], {});
        }
        server.Serve(
            "/_state",
            {.body =
                 "open=" + std::to_string(server.OpenConnections()) +
                 " requests=" + std::to_string(server.Requests(paths::kUpdateFile)) +
                 " cache-control=" + server.LastHeader(paths::kUpdateFile, "cache-control") +
                 " accept-encoding=" + server.LastHeader(paths::kUpdateFile, "accept-encoding")});
    });
    state.start(50);
    std::cout << server.Url("") << '\n' << vantrelle::testing::UnusedLoopbackPort() << std::endl;
    return application.exec();
}
