// What every fuzz target shares: the invariant check that stops the run, and a private
// scratch folder for targets that need their input as a file.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

// An invariant that does not hold is a finding: say which and abort, so libFuzzer keeps the
// input as a crash file.
#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "invariant failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                            \
        }                                                                                            \
    } while (false)

namespace sayvane::fuzz {

// A folder of this process's own under the system's temporary folder, made on first use and
// removed with its files when the process ends normally.
inline const std::string& ScratchFolder() {
    struct Folder {
        Folder() {
            // Memory-backed when the machine has it: the file targets write several files per input.
            std::error_code noShm;
            const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", noShm)
                                                   ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path();
            path = base / ("sayvane-fuzz-" + std::to_string(::getpid()));
            std::filesystem::create_directories(path);
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::filesystem::path path;
    };
    static const Folder folder;
    static const std::string text = folder.path.string();
    return text;
}

// Writes `bytes` to `path`, replacing the file; false when it could not be written.
inline bool WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The number of non-overlapping occurrences of `needle` in `haystack`, from the left.
inline std::size_t CountOccurrences(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return 0;
    }
    std::size_t count = 0;
    for (std::size_t p = haystack.find(needle); p != std::string_view::npos;
         p = haystack.find(needle, p + needle.size())) {
        ++count;
    }
    return count;
}

}  // namespace sayvane::fuzz
