// Runs a fuzz target's LLVMFuzzerTestOneInput without libFuzzer, so any compiler builds
// it: on the files and folders named on the command line, or on the target's committed
// corpus when none is named. Each input is named before it runs, so a failure shows which.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> roots(argv + 1, argv + argc);
    if (roots.empty())
        roots.emplace_back(VEXO_FUZZ_CORPUS);
    std::vector<fs::path> inputs;
    for (const fs::path& root : roots) {
        if (fs::is_directory(root)) {
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
        } else if (fs::is_regular_file(root)) {
            inputs.push_back(root);
        } else {
            std::fprintf(stderr, "no such input: %s\n", root.c_str());
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    for (const fs::path& input : inputs) {
        std::printf("replaying %s\n", input.c_str());
        std::fflush(stdout);
        std::ifstream in(input, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
