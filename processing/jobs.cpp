// The spectrum phase on several threads. Each job thread takes the next
// measuring channel in list order and computes it with an engine of its own
// (its own tacho table, its own operator parameters); finished channels are
// filed strictly in list order, and the progress calls of a channel that is
// not yet the first unfinished one are held back and replayed when it is, so
// the host and the progress window see what one thread would have done.

#include <algorithm>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config/cfgproc.h"
#include "processing/ordprocessing.h"

namespace {

struct ChannelTask {
    std::string name;
    const CfgChannel* channel = nullptr;
    host::Signal src;
    COrdProcessing::ResultTable results;
    bool finished = false;   // computed, stopped or never started
    bool completed = false;  // computed to the end: its results are filed
    // Progress held back while an earlier channel is still running.
    bool begun = false;
    int channelType = 0;
    std::vector<int> stepCounts;
    int steps = 0;
};

// Orders the channels' progress calls and their filing.
class Sequencer {
  public:
    Sequencer(std::vector<ChannelTask>& tasks, IOrdProcNotify* notify)
        : tasks_(tasks), notify_(notify) {}

    std::mutex& Mutex() { return mutex_; }
    // Under Mutex(): whether the task's calls go through at once.
    bool Live(size_t task) const { return task == front_; }
    IOrdProcNotify* Notify() const { return notify_; }

    // Under Mutex(): files every finished channel at the front, in order.
    template <class Finish>
    void Advance(Finish&& finish) {
        while (front_ < tasks_.size() && tasks_[front_].finished) {
            ChannelTask& t = tasks_[front_];
            if (t.completed) finish(t);
            t.results.clear();
            ++front_;
            if (front_ < tasks_.size()) Replay(tasks_[front_]);
        }
    }

  private:
    void Replay(const ChannelTask& t) {
        if (!notify_ || !t.begun) return;
        notify_->BeginChannel(t.name, t.channelType);
        for (int n : t.stepCounts) notify_->SetStepCount(n);
        for (int i = 0; i < t.steps; ++i) notify_->StepDone();
    }

    std::mutex mutex_;
    std::vector<ChannelTask>& tasks_;
    IOrdProcNotify* notify_;
    size_t front_ = 0;
};

// The progress interface one channel's engine reports to.
class TaskNotify final : public IOrdProcNotify {
  public:
    TaskNotify(Sequencer& seq, ChannelTask& task, size_t index)
        : seq_(seq), task_(task), index_(index) {}

    void SetChannelCount(int n) override {
        std::lock_guard lock(seq_.Mutex());
        if (seq_.Live(index_) && seq_.Notify()) seq_.Notify()->SetChannelCount(n);
    }
    void SetStepCount(int n) override {
        std::lock_guard lock(seq_.Mutex());
        if (seq_.Live(index_)) {
            if (seq_.Notify()) seq_.Notify()->SetStepCount(n);
        } else {
            task_.stepCounts.push_back(n);
        }
    }
    void BeginChannel(const std::string& name, int channelType) override {
        std::lock_guard lock(seq_.Mutex());
        if (seq_.Live(index_)) {
            if (seq_.Notify()) seq_.Notify()->BeginChannel(name, channelType);
        } else {
            task_.begun = true;
            task_.channelType = channelType;
        }
    }
    void ChannelDone() override {}  // sent when the channel is filed
    void StepDone() override {
        std::lock_guard lock(seq_.Mutex());
        if (seq_.Live(index_)) {
            if (seq_.Notify()) seq_.Notify()->StepDone();
        } else {
            ++task_.steps;
        }
    }

  private:
    Sequencer& seq_;
    ChannelTask& task_;
    const size_t index_;
};

}  // namespace

void COrdProcessing::ComputeChannelsOnThreads(const host::Operator& op) {
    std::vector<ChannelTask> tasks;
    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* ch = cfg_->Channel(name);
        if (!ch || ch->type != CfgChannelMeasuring || !ch->check) continue;
        auto it = signals_.find(name);
        if (it == signals_.end()) continue;
        ChannelTask t;
        t.name = name;
        t.channel = ch;
        t.src = it->second;
        tasks.push_back(std::move(t));
    }
    if (tasks.empty()) return;

    Sequencer seq(tasks, notify_);
    size_t next = 0;  // the next task to take, under seq.Mutex()
    auto finish = [this](ChannelTask& t) { FinishChannel(t.name, t.results); };

    auto work = [&] {
        // The job's own engine: the per-block state (the tacho table's
        // frequencies) is its own, and so are the operator parameters,
        // which the host binds to the thread that sets them.
        COrdProcessing job(app_, cfg_);
        job.owner_ = this;
        job.resultFolder_ = resultFolder_;
        job.signals_ = signals_;
        job.tachos_ = tachos_;
        op.SetParameters(ordstr::kSpectrumParams);
        for (;;) {
            size_t i = 0;
            {
                std::lock_guard lock(seq.Mutex());
                if (next >= tasks.size() || StopSeen()) return;
                i = next++;
            }
            ChannelTask& t = tasks[i];
            TaskNotify relay(seq, t, i);
            job.notify_ = &relay;
            COrdProcessing::ResultTable results;
            const bool completed =
                job.ProcessMeasuringChannel(t.name, *t.channel, t.src, op, results);
            job.notify_ = nullptr;
            std::lock_guard lock(seq.Mutex());
            t.results = std::move(results);
            t.completed = completed;
            t.finished = true;
            seq.Advance(finish);
        }
    };

    const size_t threads = std::min(tasks.size(), static_cast<size_t>(jobs_));
    std::vector<std::thread> helpers;
    for (size_t k = 1; k < threads; ++k) {
        try {
            helpers.emplace_back(work);
        } catch (const std::exception&) {
            break;  // no more threads to be had: the others share the work
        }
    }
    work();
    for (std::thread& h : helpers) h.join();

    // Channels a stop kept from starting.
    std::lock_guard lock(seq.Mutex());
    for (ChannelTask& t : tasks) t.finished = true;
    seq.Advance(finish);
}
