// Three threads send into one queue while the scheduler drains it: nothing is lost or
// duplicated below the queue's capacity. Run it under ThreadSanitizer too (BRINDLECOT_TSAN).
#include "MidiFixture.h"

#include <atomic>
#include <thread>

using Stress = MidiFixture;

TEST_F(Stress, ThreeSendersLoseAndDuplicateNothing)
{
    write_prefs();
    make_midi();
    const int total = 100000, senders = 3, in_flight = 1500;
    std::atomic<int> sent{0};
    std::atomic<bool> done{false};
    std::thread scheduler([&] {
        while (!done) {
            midi->run();
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> threads;
    for (int s = 0; s < senders; s++) {
        threads.emplace_back([&, s] {
            for (int id = s; id < total; id += senders) {
                // Keep what waits below the queue's capacity.
                while (sent - static_cast<int>(out[0]->count()) > in_flight)
                    std::this_thread::yield();
                send3(1, 0, 0x80 | (id >> 14), (id >> 7) & 0x7F, id & 0x7F);
                sent++;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < 10000 && out[0]->count() < static_cast<size_t>(total); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    done = true;
    scheduler.join();

    auto log = out[0]->log();
    ASSERT_EQ(log.size(), static_cast<size_t>(total));
    std::vector<int> seen(total, 0);
    for (auto& m : log) {
        int id = ((m.bytes[0] & 0x0F) << 14) | (m.bytes[1] << 7) | m.bytes[2];
        ASSERT_LT(id, total);
        seen[id]++;
    }
    for (int id = 0; id < total; id++)
        ASSERT_EQ(seen[id], 1) << "message " << id;
}
