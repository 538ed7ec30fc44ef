#pragma once
// Data files other programs write: NI TDMS, MATLAB MAT and CSV or text
// exports, read into the plain DataSet form (and MAT written from it).
// Behaviour and limits: docs/data-files.md.

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

// What a reader may need from the user: the sample rate of a file that does
// not give one, and the choices for a text file.
struct ReadOptions {
    double rate = 0.0;  // Hz; 0: none given
    TextOptions text;
    // Long signals of a file that lays them out as they are used (.quor)
    // are handed out mapped (SignalData::mapped) rather than read.
    bool mapSamples = false;
};

// NI TDMS (versions 4712 and 4713): numeric channels as signals, a group as
// the folder of its channels.
FileResult ReadTdms(const std::string& path, DataSet& out);

// MATLAB MAT files of versions 4, 5 and 7.3: numeric vectors and matrix
// columns, and the struct layout of common measurement exports. A file with
// no sample rate in it needs options.rate (result.needsRate tells).
FileResult ReadMat(const std::string& path, DataSet& out, const ReadOptions& options = {});
// One struct per signal: values, step, start, unit, name and folder.
FileResult WriteMat(const std::string& path, const DataSet& data);

// CSV and text exports, NI LVM files among them. Without a time column the
// file needs options.rate (result.needsRate tells).
FileResult ReadTextFile(const std::string& path, DataSet& out, const ReadOptions& options = {});

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
