#include <exception>
#include <iostream>

#include "MuxSimProgram.h"

int main(int argc, char** argv) {
    try {
        return tervis::muxsim::RunMuxSimProgram(argc, argv);
    } catch (const std::exception& e) {
        // Anything that gets this far is a fault of the program itself, not of its input.
        std::cerr << "tervis-muxsim: " << e.what() << '\n';
        return tervis::muxsim::kExitFailure;
    }
}
