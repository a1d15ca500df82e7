// Three threads send into one queue while the scheduler drains it: nothing is lost or
// duplicated below the queue's capacity. Run it under ThreadSanitizer too (BRINDLECOT_TSAN).
#include "MidiFixture.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <chrono>
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
    wait_until([&] { return out[0]->count() >= static_cast<size_t>(total); }, std::chrono::milliseconds(1));
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

TEST_F(Stress, InputThreadRecorderAndSchedulerTogether)
{
    write_prefs();  // input 1 on port 1, echoed through port 1's output
    make_midi();
    const int total = 16000, in_flight = 800;  // ids fit two data bytes
    std::atomic<int> sent{0}, recorded{0};
    std::atomic<bool> done{false}, give_up{false};
    std::thread scheduler([&] {
        while (!done) {
            midi->run();
            std::this_thread::yield();
        }
    });
    std::thread input([&] {
        for (int id = 0; id < total && !give_up; id++) {
            while (sent - recorded > in_flight && !give_up)
                std::this_thread::yield();
            in[0]->inject(0x90 | ((id >> 7) & 0x7F) << 8 | (id & 0x7F) << 16);
            sent++;
        }
    });
    // The recorder's side: node 6 read on this thread, nodes 5 and 7 emptied as playback does.
    std::vector<int> seen(total, 0);
    // A lost message would stall both sides: the recorder gives up after a generous while.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (recorded < total && std::chrono::steady_clock::now() < deadline) {
        int32_t when = 1 << 30;
        short tot;
        char b[4];
        midi->receive(6, &when, &tot, b);
        if (tot) {
            int id = (static_cast<unsigned char>(b[1]) << 7) | static_cast<unsigned char>(b[2]);
            seen[id]++;
            recorded++;
        }
        if (recorded % 500 == 0) {
            midi->flush_midi_node(5, 0);
            midi->flush_midi_node(7, 0);
        }
    }
    give_up = true;
    input.join();
    done = true;
    scheduler.join();
    EXPECT_EQ(recorded, total);
    for (int id = 0; id < total; id++)
        ASSERT_EQ(seen[id], 1) << "message " << id;
    EXPECT_EQ(out[0]->count(), static_cast<size_t>(total)) << "every message went through the thru output";
}

TEST_F(Stress, SendersOnOtherThreadsOutliveARestartOfTheQueues)
{
    write_prefs();
    make_midi();
    application->midi = nullptr;  // the timer's scheduler stays idle while the queues restart
    std::atomic<bool> done{false};
    std::atomic<int> sent{0}, received{0};
    // The play-along task sends from the timer thread while the settings restart the layer.
    std::thread sender([&] {
        for (int i = 0; !done; i++) {
            send3(1, i, 0x90, 60, 1, 1);
            sent++;
        }
    });
    std::thread receiver([&] {
        while (!done) {
            int32_t when = 1 << 30;
            short tot;
            char b[4];
            midi->receive(1, &when, &tot, b);
            received += tot ? 1 : 0;
        }
    });
    for (int r = 0; r < 200; r++) {
        midi->midi_dispatch_quit();
        std::this_thread::yield();
        midi->midi_dispatch_init();
        application->timer.remove_timer_task(run_midi);
        midi->flush_midi_node(7, 0);
    }
    wait_until([&] { return sent > 0 && received > 0; }, std::chrono::milliseconds(1));
    done = true;
    sender.join();
    receiver.join();
    EXPECT_GT(sent, 0);
    EXPECT_GT(received, 0);
}
