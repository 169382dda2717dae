#include <iostream>
#include <string>
#include <vector>

#include "SimCommandLine.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    velmora::sim::SimCommandLine command(std::cout, std::cerr);
    return command.run(arguments);
}
