#include "FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fuzzsupport {

namespace {

std::string makeScratchFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexo-fuzz.XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

struct Scratch {
    std::string folder = makeScratchFolder();
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

}  // namespace

const std::string& scratchFolder()
{
    static const Scratch scratch;
    return scratch.folder;
}

bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    return writeFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool seedsRequested()
{
    const char* folder = std::getenv("VEXO_FUZZ_WRITE_SEEDS");
    return folder && *folder;
}

void writeSeed(const std::string& name, const std::string& bytes)
{
    const std::string folder = std::getenv("VEXO_FUZZ_WRITE_SEEDS");
    std::filesystem::create_directories(folder);
    FUZZ_REQUIRE(writeFile(folder + "/" + name, bytes));
    std::printf("wrote %s/%s\n", folder.c_str(), name.c_str());
}

void seedsWritten()
{
    std::fflush(stdout);
    std::exit(0);
}

}  // namespace fuzzsupport
