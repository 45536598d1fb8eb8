#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ProvisionRun.h"
#include "platform/FileSystem.h"

namespace magtune::app {

// The results of a provisioning run as both front ends write them.

// The table: a header line and one line per reader, columns padded.
std::string ProvisionTable(const std::vector<ProvisionResult>& rows);
// "16 readers: 13 verified, 3 failed."
std::string ProvisionSummary(const std::vector<ProvisionResult>& rows);
// A reader's time as the table shows it: "1.23s".
std::string ProvisionDuration(std::uint64_t ms);
// One line for a reader whose state changed (where no table can be redrawn).
std::string ProvisionLine(const ProvisionResult& row);

// {"setting": ..., "verified": n, "downloaded": n, "failed": n, "readers": [...]}
std::string ProvisionJson(const std::string& setting, const std::vector<ProvisionResult>& rows);
// A header line, then one record per reader; fields quoted where they must be.
std::string ProvisionCsv(const std::vector<ProvisionResult>& rows);

// Writes the report to `path` (CSV when it ends in ".csv", else JSON) in one
// piece, so that a failure leaves an older report whole. Empty when written,
// else the message for the user.
std::string WriteProvisionReport(platform::FileSystem& files, const std::string& path,
                                 const std::string& setting,
                                 const std::vector<ProvisionResult>& rows);

}  // namespace magtune::app
