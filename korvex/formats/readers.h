#pragma once
// Data files other programs write: NI TDMS, MATLAB MAT and CSV or text
// exports, read into the plain DataSet form (and MAT written from it).
// Behaviour and limits: docs/data-files.md.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "korvex/dataset.h"

namespace korvex {

// Choices for reading a CSV or text export; each left at its default is
// found from the file.
struct TextOptions {
    char separator = 0;     // ',', ';', '\t' or ' ' (any run of blanks); 0: sniffed
    char decimal = 0;       // '.' or ','; 0: sniffed
    int headerLine = -1;    // line of the column names, from 1; 0: none; -1: detected
    int unitsLine = -1;     // line of the units, from 1; 0: none; -1: detected
    int timeColumn = -1;    // column of the time, from 1; 0: none (a rate is needed); -1: detected
    bool resample = false;  // uneven time is resampled to its mean step instead of refused
};

// Where a reader that streams puts what it reads instead of into a DataSet,
// so a recording larger than the memory passes through: each signal is
// declared with its sample count (before or between the values of others)
// and then given its values in order, in pieces.
class SampleSink {
  public:
    virtual ~SampleSink() = default;
    // The signal's index for Put; header.samples is not read.
    virtual size_t Declare(const SignalData& header, uint64_t samples) = 0;
    virtual void Put(size_t signal, const double* values, size_t n) = 0;
    // The sink cannot take more (its disk is full, say): the reader stops.
    virtual bool Failed() const = 0;
    // Where a reader may keep values for a while (a folder on the sink's
    // disk), or "" for the system's temporary folder.
    virtual std::string Folder() const { return {}; }
    // A reader that passes its values on only at the end tells how far it
    // has read (0 to 1) on the way; false: stop (Failed).
    virtual bool Reading(double /*share*/) { return !Failed(); }
};

// What a reader may need from the user: the sample rate of a file that does
// not give one, and the choices for a text file.
struct ReadOptions {
    double rate = 0.0;  // Hz; 0: none given
    TextOptions text;
    // Long signals are handed out mapped (SignalData::mapped) rather than
    // read: those of a .quor file where they lie, those of other formats
    // from a cached copy made on the first read (korvex/formats/cache.h).
    bool mapSamples = false;
    // Folder for those copies; empty: beside the file, else the user's
    // cache folder. Smaller files are read into memory.
    std::string cacheDir;
    uint64_t cacheMinBytes = uint64_t{32} << 20;
    // With mapSamples, to list a file rather than use it: no copy is made.
    // A file with a current copy is read from it; a longer one without is
    // read past, its signals given without values and their lengths in
    // FileResult::sampleCounts.
    bool listOnly = false;
    // Told the share done (0 to 1) while such a copy is made, on the reading
    // thread; false stops the read, which then fails with stopped set.
    std::function<bool(double)> progress;
};

// NI TDMS (versions 4712 and 4713): numeric channels as signals, a group as
// the folder of its channels.
// With a sink, the signals go there instead of into out.
FileResult ReadTdms(const std::string& path, DataSet& out, SampleSink* sink = nullptr);

// MATLAB MAT files of versions 4, 5 and 7.3: numeric vectors and matrix
// columns, and the struct layout of common measurement exports. A file with
// no sample rate in it needs options.rate (result.needsRate tells).
// With a sink, each variable's signals go there once it is read.
FileResult ReadMat(const std::string& path, DataSet& out, const ReadOptions& options = {},
                   SampleSink* sink = nullptr);
// One struct per signal: values, step, start, unit, name and folder.
FileResult WriteMat(const std::string& path, const DataSet& data);

// CSV and text exports, NI LVM files among them. Without a time column the
// file needs options.rate (result.needsRate tells).
// With a sink, the columns go there (held in a file on the way, as their
// lengths are known only at the end).
FileResult ReadTextFile(const std::string& path, DataSet& out, const ReadOptions& options = {},
                        SampleSink* sink = nullptr);

// What the text reader finds in a file, for an import dialog to show before
// reading: the choices it would make and the first lines.
struct TextLayout {
    TextOptions found;               // every choice filled in (none left at -1 or 0 when sniffed)
    int firstDataLine = 0;           // from 1
    std::vector<std::string> names;  // column names
    std::vector<std::string> units;  // column units ("" where none)
    std::vector<std::string> head;   // the first lines as they are
    bool lvm = false;                // an NI LVM header was found
    std::string message;             // why the file cannot be read as text, or ""
};
TextLayout SniffTextFile(const std::string& path, const TextOptions& given = {});

}  // namespace korvex
