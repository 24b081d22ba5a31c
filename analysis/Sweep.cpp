#include "Sweep.h"

#include "AttractorRun.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace {

// How far ahead of the last row handed over a worker may start a value.
constexpr int kRowsAhead = 4096;

TSweepRow Blank(double value) {
    TSweepRow row;
    row.value = value;
    return row;
}

// One run, from `from` when it follows another. A cancelled run comes back
// NotRun.
TSweepRow RunOne(TSweepSimulation& sim, double value, const TDensities* from,
                 const TSweepOptions& options, long long discard, const std::atomic<bool>& cancel) {
    TSweepRow row = Blank(value);
    try {
        if (from)
            sim.Follow(value, *from);
        else
            sim.Start(value);
        TAttractorRun run(sim, options.steps, discard, options.settle, cancel);
        if (!run.Run(row)) return Blank(value);
    } catch (const std::exception& e) {
        row = Blank(value);
        row.state = TSweepRowState::Faulted;
        row.message = e.what();
    } catch (...) {
        row = Blank(value);
        row.state = TSweepRowState::Faulted;
        row.message = "Unknown fault";
    }
    return row;
}

long long Discarded(const TSweepOptions& o) {
    return o.discard >= 0 ? o.discard : o.settle ? 0 : o.steps / 2;
}

std::string CheckOptions(const TSweepOptions& o) {
    if (!std::isfinite(o.from) || !std::isfinite(o.to)) return "The sweep range is not finite";
    if (o.count < 1) return "The sweep needs at least one value";
    if (o.count > kMaxSweepValues) return "A sweep takes at most 10000000 values";
    if (o.steps < 1) return "The sweep needs at least one step";
    if (Discarded(o) >= o.steps) return "Every step would be discarded";
    return "";
}

} // namespace

std::string SweepRequestError(const TSweepRequest& request) {
    if (request.name.empty()) return "The sweep names no parameter";
    return CheckOptions(request.options);
}

double SweepValue(double from, double to, int count, int i) {
    return count == 1 ? from : std::lerp(from, to, double(i) / (count - 1));
}

std::vector<double> SweepValues(double from, double to, int count) {
    std::vector<double> values;
    if (count < 1) return values;
    values.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        values.push_back(SweepValue(from, to, count, i));
    return values;
}

TSweepResult RunSweep(const TSweepOptions& options, const TSweepFactory& factory,
                      TSweepControl* control) {
    TSweepResult result;
    const long long discard = Discarded(options);
    result.error = CheckOptions(options);
    if (!result.error.empty()) return result;

    TSweepControl ownControl;
    TSweepControl& ctl = control ? *control : ownControl;
    ctl.finished = 0;
    const auto valueOf = [&options](int i) {
        return SweepValue(options.from, options.to, options.count, i);
    };
    int workers = options.follow        ? 1
                  : options.threads > 0 ? options.threads
                                        : int(std::max(1u, std::thread::hardware_concurrency()));
    workers = std::min(workers, options.count);

    std::vector<std::unique_ptr<TSweepSimulation>> sims;
    try {
        for (int w = 0; w < workers; ++w) {
            sims.push_back(factory ? factory() : nullptr);
            if (!sims.back()) throw std::runtime_error("No simulation to sweep");
        }
    } catch (const std::exception& e) {
        result.error = e.what();
        return result;
    }

    const bool streaming = bool(ctl.OnRow);
    if (!streaming) {
        result.rows.resize(std::size_t(options.count));
        for (int i = 0; i < options.count; ++i)
            result.rows[std::size_t(i)].value = valueOf(i);
    }
    // Streamed rows wait here until those before them are handed over; a
    // worker does not start a value too far ahead of the last one handed over.
    std::mutex handover;
    std::condition_variable room;
    std::map<int, TSweepRow> waiting;
    int handedOver = 0;
    const auto handOver = [&](int i, TSweepRow row) {
        const std::lock_guard<std::mutex> lock(handover);
        waiting.emplace(i, std::move(row));
        for (auto first = waiting.begin(); first != waiting.end() && first->first == handedOver;
             first = waiting.erase(first), ++handedOver)
            ctl.OnRow(first->second);
        room.notify_all();
    };

    std::atomic<int> next{0};
    std::mutex progress;
    const auto work = [&](TSweepSimulation& sim) {
        // A following sweep has this one worker, which takes the values in order.
        TSweepRow last;
        for (;;) {
            if (ctl.cancel.load()) return;
            const int i = next.fetch_add(1);
            if (i >= options.count) return;
            if (streaming) {
                std::unique_lock<std::mutex> lock(handover);
                room.wait(lock, [&] { return i < handedOver + kRowsAhead || ctl.cancel.load(); });
                if (ctl.cancel.load()) return;
            }
            const TDensities end{last.n1Last, last.n2Last};
            const bool follows = options.follow && last.state == TSweepRowState::Done;
            TSweepRow row =
                RunOne(sim, valueOf(i), follows ? &end : nullptr, options, discard, ctl.cancel);
            if (row.state == TSweepRowState::NotRun) {
                room.notify_all(); // workers waiting on this row look at the cancel again
                return;
            }
            if (options.follow) last = row;
            if (streaming)
                handOver(i, std::move(row));
            else
                result.rows[std::size_t(i)] = std::move(row);
            const int finished = ctl.finished.fetch_add(1) + 1;
            if (ctl.OnProgress) {
                const std::lock_guard<std::mutex> lock(progress);
                ctl.OnProgress(finished, options.count);
            }
        }
    };
    // The calling thread is one of the workers; a thread the system refuses
    // leaves its share to the others.
    std::vector<std::thread> threads;
    threads.reserve(std::size_t(workers - 1));
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, std::ref(*sims[std::size_t(w)]));
        } catch (const std::system_error&) {
            break;
        }
    }
    work(*sims[0]);
    for (std::thread& t : threads)
        t.join();
    result.eulerStepTooLarge = std::any_of(
        sims.begin(), sims.end(), [](const auto& sim) { return sim->EulerStepTooLarge(); });
    result.cancelled =
        streaming ? handedOver < options.count
                  : std::any_of(result.rows.begin(), result.rows.end(), [](const TSweepRow& r) {
                        return r.state == TSweepRowState::NotRun;
                    });
    return result;
}
