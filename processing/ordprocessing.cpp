// The calculation over one data set: run on a worker, stop and wait, result texts.

#include "processing/ordprocessing.h"

#include <cstdio>

#include "config/cfgproc.h"

std::string OrdResultText(int code) {
    switch (code) {
        case OrdResultOk:
            return ordstr::kFinished;
        case OrdResultStopped:
            return ordstr::kStoppedByUser;
        case OrdResultNoSource:
            return ordstr::kNoSource;
        case OrdResultNoAutoSpectrum:
            return ordstr::kNoAutoSpectrum;
        case OrdResultNoTacho:
            return ordstr::kNoTacho;
        default:
            break;
    }
    std::string text = ordstr::kStoppedFormat;
    text.replace(text.find("%s"), 2, ordstr::kUnknownError);
    return text;
}

std::string OrdChannelText(const std::string& channel, int channelType) {
    std::string text =
        channelType == CfgChannelTacho ? ordstr::kChannelTacho : ordstr::kChannelBands;
    text.replace(text.find("%s"), 2, channel);
    return text;
}

COrdProcessing::COrdProcessing(const host::App& app, CCfgProc* cfg) : app_(app), cfg_(cfg) {}

COrdProcessing::~COrdProcessing() {
    // A worker still running uses this object: end it before anything goes.
    if (worker_.joinable()) {
        RequestStop();
        worker_.join();
    }
    COrdProcessing::Clear();
}

void COrdProcessing::Clear() {
    signals_.clear();
    tachos_.clear();
    SetCode(OrdResultOk);
}

bool COrdProcessing::Run() {
    running_.store(true);
    finished_.store(false);
    stopRequested_.store(false);
    return RunSteps();
}

bool COrdProcessing::Start() {
    if (worker_.joinable()) {
        if (running_.load()) return false;
        worker_.join();
    }
    // Set here rather than on the worker: a stop request made as soon as
    // Start returns must be seen, and the caller must see the run as running.
    running_.store(true);
    finished_.store(false);
    stopRequested_.store(false);
    worker_ = std::thread([this] { RunSteps(); });
    return true;
}

void COrdProcessing::Wait() {
    if (worker_.joinable()) worker_.join();
}

bool COrdProcessing::StopSeen() {
    if (owner_) return owner_->StopSeen();
    if (!stopRequested_.load()) return false;
    SetCode(OrdResultStopped);
    return true;
}

bool COrdProcessing::RunSteps() {
    Clear();
    bool ok = false;
    if (!cfg_) {
        SetCode(OrdResultNoSource);
    } else if (FindSourceSignals()) {
        CountChannels();
        resultFolder_ = MakeResultFolder(cfg_->srcFileKorvex);
        if (ComputeTachos() && ComputeBands()) {
            cfg_->lastResultFolder = resultFolder_;
            ok = true;
        }
    }
    finished_.store(true);
    running_.store(false);
    return ok;
}

bool COrdProcessing::FindSourceSignals() {
    if (cfg_->srcFileKorvex.empty()) {
        SetCode(OrdResultNoSource);
        return false;
    }
    sourceFolder_ = ordstr::kSignalsRoot + cfg_->srcFileKorvex + "/";
    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* ch = cfg_->Channel(name);
        if (!ch || ch->type < CfgChannelMeasuring || ch->type > CfgChannelRevolution) continue;
        if (ch->type == CfgChannelMeasuring && !ch->check) continue;
        host::Signal sig = app_.GetSignal(sourceFolder_ + name);
        if (sig) signals_[name] = std::move(sig);
    }
    if (signals_.empty()) SetCode(OrdResultNoSource);
    return ResultCode() == OrdResultOk;
}

void COrdProcessing::CountChannels() {
    int count = 0;
    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* ch = cfg_->Channel(name);
        if (!ch) continue;
        if (ch->type == CfgChannelTacho || (ch->type == CfgChannelMeasuring && ch->check)) ++count;
    }
    if (notify_) {
        notify_->SetChannelCount(count);
        notify_->SetStepCount(10);
    }
}

std::string COrdProcessing::MakeResultFolder(std::string name) const {
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    const std::string base = ordstr::kResultsRoot + name;
    std::string candidate = base;
    for (int n = 1; app_.PathExists(candidate); ++n) {
        candidate = base + "#" + std::to_string(n);
    }
    return candidate + "/";
}

void COrdProcessing::SetTachoFrequency(int32_t itemId, const std::string& signalName, double hz) {
    tachos_[itemId] = TachoEntry{signalName, hz};
}

bool COrdProcessing::TachoFrequency(int32_t itemId, double& hz) const {
    auto it = tachos_.find(itemId);
    if (it == tachos_.end()) return false;
    hz = it->second.frequency;
    return true;
}
