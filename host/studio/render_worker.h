// Renders in the background so the window never waits: the newest request replaces
// any that has not started, and a render that a newer request made stale is dropped
// when it ends instead of being shown.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "host/cli/image.h"
#include "host/common/effect_session.h"

namespace brushwerk::studio {

struct RenderJob {
    uint64_t generation = 0;  // set by Request
    // The object that renders: the worker's alone from Request on (it is not the one the
    // page edits, so an edit never meets a frame half done).
    std::shared_ptr<common::EffectSession> session;
    common::RecordBytes record;
    std::optional<common::RecordBytes> secondKey;  // animated from record to it, at position
    double position = 0.0;
    std::shared_ptr<const cli::Image> input;  // straight alpha
};

struct RenderResult {
    RenderJob job;
    cli::Image output;  // straight alpha, as a PNG file keeps it
    double seconds = 0.0;
    HRESULT hr = S_OK;
};

class RenderWorker {
public:
    // finished runs on the worker thread whenever a result is ready to take.
    explicit RenderWorker(std::function<void()> finished);
    ~RenderWorker();
    RenderWorker(const RenderWorker&) = delete;
    RenderWorker& operator=(const RenderWorker&) = delete;

    // Queues the job in place of any waiting one; returns its generation.
    uint64_t Request(RenderJob job);
    // The newest result not yet taken.
    std::optional<RenderResult> Take();
    // Waits until the job of this generation has a result (or a newer one replaced it).
    void WaitFor(uint64_t generation);
    // Renders finished after a newer request came, and so never shown.
    uint64_t Dropped() const;

private:
    void Run();
    static RenderResult Render(RenderJob job);

    std::function<void()> m_finished;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<RenderJob> m_waiting;
    std::optional<RenderResult> m_result;
    uint64_t m_requested = 0;
    uint64_t m_done = 0;
    uint64_t m_dropped = 0;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace brushwerk::studio
