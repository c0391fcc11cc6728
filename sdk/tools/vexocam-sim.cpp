#include <iostream>

#include "SimulatorCommands.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return vexo::sdk::runSimulatorCommand(arguments, std::cout, std::cerr);
}
