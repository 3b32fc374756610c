#include "host/studio/render_worker.h"

#include <chrono>

namespace brushwerk::studio {
namespace {

common::FrameMemory MemoryOf(const cli::Image& image) {
    // The session only reads its input; the const goes for the surface's sake.
    return {const_cast<uint8_t*>(image.bgra.data()), image.width, image.height, LONG(image.Pitch()),
            image.alpha == cli::AlphaForm::Premultiplied};
}

}  // namespace

RenderWorker::RenderWorker(std::function<void()> finished)
    : m_finished(std::move(finished)), m_thread([this] { Run(); }) {}

RenderWorker::~RenderWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

uint64_t RenderWorker::Request(RenderJob job) {
    std::lock_guard lock(m_mutex);
    job.generation = ++m_requested;
    m_waiting = std::move(job);
    m_wake.notify_all();
    return m_requested;
}

std::optional<RenderResult> RenderWorker::Take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_result, std::nullopt);
}

void RenderWorker::WaitFor(uint64_t generation) {
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [&] { return m_done >= generation || m_requested > generation || m_stop; });
}

uint64_t RenderWorker::Dropped() const {
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

RenderResult RenderWorker::Render(RenderJob job) {
    RenderResult result;
    const cli::Image& input = *job.input;
    result.output.width = input.width;
    result.output.height = input.height;
    result.output.alpha = cli::AlphaForm::Straight;
    result.output.bgra.resize(input.bgra.size());
    common::EffectSession& session = *job.session;
    const auto started = std::chrono::steady_clock::now();
    HRESULT hr = session.LoadRecord(job.record);
    if (SUCCEEDED(hr) && job.secondKey) hr = session.SetKeyframes(job.record, *job.secondKey);
    if (SUCCEEDED(hr) && job.secondKey) hr = session.SetPosition(job.position);
    if (SUCCEEDED(hr)) hr = session.Render(MemoryOf(input), MemoryOf(result.output));
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    result.hr = hr;
    result.job = std::move(job);
    return result;
}

void RenderWorker::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_waiting; });
        if (m_stop) return;
        RenderJob job = std::move(*m_waiting);
        m_waiting.reset();
        lock.unlock();
        RenderResult result = Render(std::move(job));
        lock.lock();
        const uint64_t generation = result.job.generation;
        m_done = generation;
        const bool stale = generation != m_requested;
        if (stale) ++m_dropped;
        else m_result = std::move(result);
        m_wake.notify_all();
        if (!stale && m_finished) {
            lock.unlock();
            m_finished();
            lock.lock();
        }
    }
}

}  // namespace brushwerk::studio
