#pragma once
// What the fuzz targets share: a check that names the broken rule before it stops the
// run (libFuzzer then keeps the input), and a scratch folder for readers that only take
// files.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_REQUIRE(condition)                                                          \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: rule broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

namespace fuzzsupport {

// A folder of this process under $TMPDIR (or /tmp), made on first use and removed at exit.
const std::string& scratchFolder();
// Replaces path with exactly these bytes; false when it cannot be written.
bool writeFile(const std::string& path, const uint8_t* data, size_t size);
bool writeFile(const std::string& path, const std::string& bytes);

// Seed corpora are written by the targets themselves, from the library's own writers:
// run a target with VEXO_FUZZ_WRITE_SEEDS=<folder> and it writes its seeds there and exits
// (see README.md). True when seeds were asked for; writeSeeds then calls write and exits.
bool seedsRequested();
void writeSeed(const std::string& name, const std::string& bytes);
[[noreturn]] void seedsWritten();

}  // namespace fuzzsupport
