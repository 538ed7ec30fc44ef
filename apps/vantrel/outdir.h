#pragma once
// The output folder of a run holds one generation of results: the files of
// one calculation, never a mix of two.

#include <string>

namespace korvex {
class Host;
}

namespace vantrel {

struct JobOutputs;

// Writes results.quor, results.uff, results.mat and csv/ of the host folder into a fresh
// folder inside outDir (".vantrel-new") and then moves them in place of the
// previous run's, so that a failed write (a full disk, a file-size limit)
// leaves the previous results whole and no temporary file behind. With
// hasSignals false the new generation is empty: the previous run's files go,
// as they are not results of this run. outDir must exist.
// Whether files can be written in folder, found before a long calculation: it
// is a folder and writable, or it can be made (its nearest existing parent
// is). False with error saying why.
bool CanWriteIn(const std::string& folder, std::string& error);

bool WriteResultGeneration(const korvex::Host& host, const std::string& folder, bool hasSignals,
                           const std::string& outDir, JobOutputs& written, std::string& message);

}  // namespace vantrel
