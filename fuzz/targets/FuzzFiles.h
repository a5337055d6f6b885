// What the fuzz targets share: a scratch folder of this process for the files the readers take by
// path, and a failed check that stops the run with a message libFuzzer keeps beside the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace fuzz {

// A folder of this process, made on first use and removed when the run ends: in memory (/dev/shm)
// where the machine has it, since the file readers run millions of times, else under the system's
// temporary folder.
class ScratchFolder
{
  public:
    ScratchFolder()
    {
        std::error_code ec;
        const bool shm = std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0;
        path_ = (shm ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
                ("tessavel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline const std::filesystem::path& scratchFolder()
{
    static const ScratchFolder folder;
    return folder.path();
}

// Writes the bytes to `name` in the scratch folder (replacing what was there) and returns the path.
inline std::string writeScratch(const std::string& name, std::string_view bytes)
{
    const auto path = scratchFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

inline std::string readScratch(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, file, line);
    std::abort();
}

} // namespace fuzz

// Stays on in every build type: the invariant is what the target is for.
#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            ::fuzz::fail(#cond, __FILE__, __LINE__);                                                         \
    } while (false)
