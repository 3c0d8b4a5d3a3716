#pragma once

// The commands of tenvix-cli. Each takes the arguments after its name, writes
// its result to standard output and returns the exit status; a malformed
// command line throws UsageError.

#include <string>
#include <vector>

namespace tenvix::cli {

int RunAnalyse(const std::vector<std::string>& args);
int RunCashflows(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunPortfolio(const std::vector<std::string>& args);
int RunSuggest(const std::vector<std::string>& args);

} // namespace tenvix::cli
