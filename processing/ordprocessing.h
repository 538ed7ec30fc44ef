#pragma once
// The calculation over one host data set: tacho channels become rotation
// frequency signals, measuring channels are cut into blocks whose spectra the
// host computes, and every selected frequency item's level in every spectrum
// becomes one point of a result signal filed under a new result folder.
//
// The heavy work is the host's (its "Тахо" and "АвтоСпектр" operators); the
// engine does only the band arithmetic. Run may be called directly or on a
// worker thread through Start; the user-interface side reads the flags and
// asks for a stop meanwhile.

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "processing/strings.h"
#include "shell/host.h"

class CCfgProc;
class CCfgProcItem;
struct CfgChannel;

// Progress of a calculation. All calls come from the thread running Run, or
// with several jobs from the job threads, one call at a time and in the
// order a single thread would make them.
class IOrdProcNotify {
  public:
    virtual ~IOrdProcNotify() = default;
    virtual void SetChannelCount(int n) = 0;
    virtual void SetStepCount(int n) = 0;
    // channelType 2 for a tacho channel, 1 for a measuring channel.
    virtual void BeginChannel(const std::string& name, int channelType) = 0;
    virtual void ChannelDone() = 0;
    virtual void StepDone() = 0;
};

// The band of a frequency item at one moment.
struct OrdBand {
    double centre = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    int minLines = 0;  // minimal width in spectrum lines, 0 = none
};

class COrdProcessing {
  public:
    // Both are borrowed; cfg may be null (the run then fails at once).
    COrdProcessing(const host::App& app, CCfgProc* cfg);
    virtual ~COrdProcessing();
    COrdProcessing(const COrdProcessing&) = delete;
    COrdProcessing& operator=(const COrdProcessing&) = delete;

    // Releases every held host object and empties the tables; result code 0.
    virtual void Clear();

    // The whole calculation on the calling thread; true when it succeeded.
    bool Run();
    // Run on a worker thread of its own. The running flag is set before this
    // returns, so a stop request right after it is never lost. False when a
    // worker is still running.
    bool Start();
    // Waits for the worker started by Start (returns at once without one).
    void Wait();
    // Asks the run to end at its next check. Any thread.
    void RequestStop() { stopRequested_.store(true); }

    bool IsRunning() const { return running_.load(); }
    bool IsFinished() const { return finished_.load(); }
    int ResultCode() const { return resultCode_.load(); }
    // The result folder chosen by the last run, ending in "/".
    const std::string& ResultFolder() const { return resultFolder_; }
    void SetNotify(IOrdProcNotify* notify) { notify_ = notify; }
    // Measuring channels computed side by side on n threads (1, the
    // default: all on the thread running Run). The levels, the result tree
    // and the progress calls are those of one thread; the tacho phase runs
    // once, before them. Set before Run or Start.
    void SetJobs(int n) { jobs_ = n < 1 ? 1 : n; }
    // Spectra read a whole at a time where the host offers it (on by
    // default); off keeps two host calls per line, for comparison.
    void SetBulkReads(bool on) { bulkReads_ = on; }
    int Jobs() const { return jobs_; }

    // Steps of Run.
    bool FindSourceSignals();
    void CountChannels();
    std::string MakeResultFolder(std::string name) const;
    bool ComputeTachos();
    void CopyRevolutionSignals();
    bool ComputeBands();

    // Result signals of one channel: the levels by frequency-item id and,
    // when the configuration asks for them, the band borders with their
    // folder path below the channel's folder.
    struct BorderSignals {
        std::string folder;                 // below the channel's folder, ending in "/"
        host::Signal lower, upper, centre;  // centre only for a moving band
    };
    struct ResultTable {
        std::map<int32_t, host::Signal> levels;
        std::map<int32_t, BorderSignals> borders;
        void clear() {
            levels.clear();
            borders.clear();
        }
    };
    void CreateResultSignals(ResultTable& table, const host::Signal& src, const CfgChannel& channel,
                             int n, int s) const;
    void PublishResultSignals(ResultTable& table, const std::string& channelFolder) const;

    // Band arithmetic. BandBorders and BandLevel read the rotation
    // frequencies of the tacho table as they stand.
    OrdBand BandBorders(const CCfgProcItem* item, double df) const;
    // With summed, also the borders of the lines it summed (first and last
    // line's frequency; not a number when none) and the band's centre.
    // A spectrum's lines read in one host call, with what every band asks
    // of the spectrum: the same numbers the per-line calls give.
    struct SpectrumLines {
        std::vector<double> y;
        double x0 = 0.0, df = 0.0;
        std::string coefText;
        bool valid = false;
    };
    // With lines valid, the band reads them instead of asking the host.
    bool BandLevel(const host::Signal& spectrum, const CCfgProcItem* item, int valtype, int integr,
                   uint64_t unitCode, double& level, OrdBand* summed = nullptr,
                   const SpectrumLines* lines = nullptr) const;
    static double IntegratePower(double y, double f, int integr, uint64_t unitCode);
    // The factor that puts an integrated level into the unit the result
    // signal is labelled with (mm/s once from acceleration, um otherwise):
    // it follows the decimal prefix of the source unit, so m/s integrated
    // once gives um as mm/s does. Sources whose unit is not an acceleration
    // or velocity unit keep 1000 per integration.
    static double IntegrationScale(int integr, uint64_t unitCode);
    // The factor that turns a rotation signal's values into hertz: 1/60
    // for a signal in rpm, 1 for anything else.
    static double HertzPerUnit(uint64_t unitCode);
    // Cuts suffix off name when it follows the name's last "." (".grad" cuts
    // X.grad to X and leaves X.taho alone).
    static void StripSuffix(std::string& name, std::string_view suffix);

    // Tacho table access (item id -> current rotation frequency in Hz), for
    // whoever evaluates bands outside a run.
    void SetTachoFrequency(int32_t itemId, const std::string& signalName, double hz);
    bool TachoFrequency(int32_t itemId, double& hz) const;

  private:
    struct TachoEntry {
        std::string signalName;
        double frequency = 0.0;
    };

    bool RunSteps();
    // True (and result code 1) when a stop has been requested.
    bool StopSeen();
    void SetCode(int code) { resultCode_.store(code); }
    // Fills results with the channel's levels; false when a stop cut it
    // short (nothing of it may then reach the host).
    bool ProcessMeasuringChannel(const std::string& name, const CfgChannel& channel,
                                 const host::Signal& src, const host::Operator& op,
                                 ResultTable& results);
    // Publishes a finished channel's results and reports it done.
    void FinishChannel(const std::string& name, ResultTable& results);
    // ComputeBands' channel loop on jobs_ threads.
    void ComputeChannelsOnThreads(const host::Operator& op);

    host::App app_;
    CCfgProc* cfg_;
    IOrdProcNotify* notify_ = nullptr;
    int jobs_ = 1;
    bool bulkReads_ = true;
    bool envelopeSet_ = false;  // the operator holds an envelope band from a channel before
    // The engine a job thread's engine works for: its stop flag and result
    // code are the ones that count.
    COrdProcessing* owner_ = nullptr;
    std::atomic<int> resultCode_{0};
    std::atomic<bool> running_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> stopRequested_{false};
    std::string sourceFolder_;
    std::string resultFolder_;
    std::map<std::string, host::Signal> signals_;
    std::map<int32_t, TachoEntry> tachos_;
    std::thread worker_;
};
