// vendrix-server: the backend of the Vendrix office client.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "auth.h"
#include "db.h"
#include "demo.h"
#include "options.h"
#include "record_log.h"
#include "seed.h"
#include "server.h"

int main(int argc, char **argv)
{
    using namespace vx;
    const auto parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        if (parsed.error.empty()) {
            std::cout << usage();
            return 0;
        }
        std::cerr << "vendrix-server: " << parsed.error << "\n\n" << usage();
        return 2;
    }
    const Options &options = *parsed.options;

    // SIGINT/SIGTERM are taken by a watcher thread; every other thread
    // (the HTTP workers included) inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        Db db(options.dbPath);
        for (const auto &credentials : options.addUsers) {
            const auto colon = credentials.find(':');
            Transaction tx(db);
            setUser(db, credentials.substr(0, colon), credentials.substr(colon + 1), credentials.substr(0, colon), "");
            tx.commit();
        }
        if (options.demo)
            seedDemo(db);
        if (options.seedCustomers > 0 || options.seedOrders > 0) {
            const auto started = std::chrono::steady_clock::now();
            const SeedResult seeded = seedDatabase(
                db, SeedRequest {options.seedCustomers, options.seedOrders, static_cast<std::uint64_t>(options.seed)});
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
            if (seeded.seeded)
                std::fprintf(stderr,
                    "vendrix-server: seeded %lld customers (%lld business) and %lld orders in %.2f s (seed %lld)\n",
                    static_cast<long long>(seeded.customers), static_cast<long long>(seeded.businessCustomers),
                    static_cast<long long>(seeded.orders), took.count(), static_cast<long long>(options.seed));
            else
                std::fprintf(stderr, "vendrix-server: seed %lld was applied to this database before; nothing added\n",
                    static_cast<long long>(options.seed));
        }

        std::unique_ptr<RecordLog> record;
        if (!options.recordPath.empty())
            record = std::make_unique<RecordLog>(options.recordPath);

        Server server(db, options, record.get());
        const int port = server.bind();
        // The port comes first and alone on its line: scripts and tests wait
        // for it to know where to connect.
        std::printf("%d\n", port);
        if (options.demo)
            std::printf("demo login: user \"%s\" password \"%s\"\n", kDemoUser, kDemoPassword);
        std::printf("vendrix-server listening on %s://%s:%d\n", options.tlsCert.empty() ? "http" : "https",
            options.host.c_str(), port);
        std::fflush(stdout);

        std::atomic<bool> finished {false};
        std::thread watcher([&] {
            int sig = 0;
            sigwait(&stopSignals, &sig);
            // stop() only takes effect once the server runs; repeat until
            // the serving loop has ended.
            while (!finished.load()) {
                server.stop();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });

        server.run();
        finished = true;
        // Wakes the watcher if the loop ended for another reason; the
        // signal stays blocked, so it only ends the sigwait.
        pthread_kill(watcher.native_handle(), SIGTERM);
        watcher.join();
        std::fprintf(stderr, "vendrix-server: stopped\n");
    } catch (const std::exception &e) {
        std::cerr << "vendrix-server: " << e.what() << std::endl;
        return 1;
    }
    return 0;
}
