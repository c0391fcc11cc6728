#pragma once
// The commands of vexocam-sim, kept out of main() so each one is a plain function.
#include <ostream>
#include <string>
#include <vector>

namespace vexo::sdk {

// Runs one command line (without the program name). Output goes to out, problems to err.
// Returns the process exit code: 0 success, 1 failure, 2 usage error.
int runSimulatorCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

std::string simulatorUsage();

}  // namespace vexo::sdk
