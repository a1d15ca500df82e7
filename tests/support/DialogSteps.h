#pragma once
// Steps of a test run one after the other while a modal dialog of the program has the message
// loop. That loop lets no timer message through to the test's windows, so the steps run from
// the application's idle handlers, which see every message; a hidden probe window's timer only
// makes sure that messages keep coming. A step runs 40 ms of program time after the one before,
// so that the input of one is taken before the next, and only while `ready()` holds (typically:
// the dialog is up).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CPanel.h"
#include "framework/TimerProbe.h"
#include "platform/WindowManager.h"

class DialogSteps {
public:
    using Step = std::function<void()>;

    // Queues `steps` and starts running them from the idle handlers of `application`.
    void start(platform::WindowManager& wm, std::vector<Step> steps, std::function<bool()> ready)
    {
        manager = &wm;
        if (!probe) probe = create_probe_window(wm);
        pending = std::move(steps);
        next_step = 0;
        next_at = wm.now() + kStepGapMs;
        is_ready = std::move(ready);
        idle.owner = this;
        idle.event_handler = [](CPanel* panel, Event*) -> short {
            static_cast<IdlePanel*>(panel)->owner->step();
            return 0;
        };
        application->add_to_idle(&idle);
        g_on_timer = [this] { manager->set_timer(probe, 1, kProbePeriodMs); };
        wm.set_timer(probe, 1, kProbePeriodMs);
    }
    // Stops running steps (at the end of the dialog or of the test); harmless when not started.
    void stop()
    {
        g_on_timer = nullptr;
        if (application) application->remove_from_idle(&idle);
    }
    bool all_ran() const { return next_step == pending.size(); }
    size_t ran() const { return next_step; }
    size_t total() const { return pending.size(); }

private:
    static constexpr int64_t kStepGapMs = 40;
    static constexpr int32_t kProbePeriodMs = 20;

    struct IdlePanel : CPanel {
        IdlePanel() : CPanel(NO_PARENT) {}
        DialogSteps* owner = nullptr;
    };
    void step()
    {
        if (next_step >= pending.size() || manager->now() < next_at || !is_ready()) return;
        next_at = manager->now() + kStepGapMs;
        pending[next_step++]();
    }

    platform::WindowManager* manager = nullptr;
    platform::WindowId probe = 0;
    IdlePanel idle;
    std::vector<Step> pending;
    std::function<bool()> is_ready;
    size_t next_step = 0;
    int64_t next_at = 0;
};
