// Writes a large well-formed export for benchmarks.
//
//   generate_export SIZE_IN_MB FILE [PROCEDURES [CHANGED_EVERY]]
//
// Without PROCEDURES a procedure is some 20 KB of export; with it, the export has that many.
// CHANGED_EVERY n words every n-th procedure a little differently (a later version).

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "bench/export_generator.h"

int main(int argc, char* argv[]) {
    if (argc < 3 || argc > 5) {
        std::cerr << "usage: generate_export SIZE_IN_MB FILE [PROCEDURES [CHANGED_EVERY]]\n";
        return 2;
    }
    const auto size = static_cast<std::size_t>(std::atof(argv[1]) * 1024 * 1024);
    const int procedures = argc >= 4 ? std::atoi(argv[3]) : 0;
    const int changed_every = argc == 5 ? std::atoi(argv[4]) : 0;
    const std::string text = qlx::bench::generate_export(size, procedures, changed_every);
    std::ofstream file(argv[2], std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file) {
        std::cerr << "generate_export: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
