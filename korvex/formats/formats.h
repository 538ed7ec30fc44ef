#pragma once
// Data files the host reads and writes, on the plain DataSet form.

#include <memory>
#include <span>
#include <string>

#include "korvex/dataset.h"
#include "korvex/formats/readers.h"

namespace korvex {

// The host's own data-set file (".quor").
// options.mapSamples: long signals of a version 2 file are handed out mapped.
FileResult ReadQuor(const std::string& path, DataSet& out, const ReadOptions& options = {});
FileResult WriteQuor(const std::string& path, const DataSet& data);

// The same file written signal by signal, the samples in pieces, so a
// recording larger than the memory is written without being held: Open with
// the signal count, then per signal BeginSignal with its sample count and
// Put until they are all given, then Commit. A fault (a header the reader
// would refuse, counts that do not add up) fails Commit, which then leaves
// the target as it was.
class QuorWriter {
  public:
    QuorWriter();
    ~QuorWriter();
    QuorWriter(const QuorWriter&) = delete;
    QuorWriter& operator=(const QuorWriter&) = delete;
    bool Open(const std::string& path, size_t signals, std::string& error);
    bool BeginSignal(const SignalData& header, uint64_t samples);
    void Put(std::span<const double> samples);
    bool Commit(std::string& error);

  private:
    struct File;
    std::unique_ptr<File> f_;
};

// A .quor file filled in any order, for a copy of a recording larger than
// the memory: each signal is declared with its sample count, which fixes its
// place, and its values are given as a reader meets them, interleaved with
// other signals'. Memory stays at a buffer per signal. Commit fails when a
// count does not add up or the disk refused, leaving the target as it was.
class QuorSpill final : public SampleSink {
  public:
    QuorSpill();
    ~QuorSpill() override;
    QuorSpill(const QuorSpill&) = delete;
    QuorSpill& operator=(const QuorSpill&) = delete;
    bool Open(const std::string& path, std::string& error);
    size_t Declare(const SignalData& header, uint64_t samples) override;
    void Put(size_t signal, const double* values, size_t n) override;
    bool Failed() const override;
    std::string Folder() const override;
    bool Commit(std::string& error);

  private:
    struct File;
    std::unique_ptr<File> f_;
};

// Universal File Format, dataset 58 (time histories). Reading takes ASCII 58
// and binary 58b records; writing produces ASCII, or binary 58b when asked.
// With a sink, each record's values go there as it is read.
FileResult ReadUff58(const std::string& path, DataSet& out, SampleSink* sink = nullptr);
FileResult WriteUff58(const std::string& path, const DataSet& data, bool binary = false);

// How WriteUff58 lays out the values: ASCII (4E20.12 double, 6E13.5 single)
// or binary 58b in either byte order.
struct Uff58Options {
    bool binary = false;
    bool doublePrecision = true;  // 8-byte values; false writes 4-byte floats
    bool bigEndian = false;       // binary byte order
};
FileResult WriteUff58(const std::string& path, const DataSet& data, const Uff58Options& options);

// WAV: PCM 16, 24, 32 bit and float 32; one signal per channel.
// With a sink, the signals go there instead of into out.
FileResult ReadWav(const std::string& path, DataSet& out, SampleSink* sink = nullptr);

// One CSV file per signal below dir: dir/<folder>/<name>.csv, header
// "time_s,value", numbers that read back to the same double.
FileResult WriteCsv(const std::string& dir, const DataSet& data);

// Picks the reader by extension (.quor, .uff/.unv/.uf, .wav, .tdms, .mat,
// .csv/.txt/.lvm and other text), else by the first bytes. options carries
// what a file may need from the user: a sample rate, the CSV choices.
FileResult ReadDataFile(const std::string& path, DataSet& out, const ReadOptions& options = {});
// The kind ReadDataFile takes a file for ("NI TDMS", "MAT", "CSV or text",
// "UFF 58", "WAV", ".quor"), "" when none.
std::string DataFileKind(const std::string& path);

}  // namespace korvex
