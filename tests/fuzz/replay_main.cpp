// Runs the fuzz target without libFuzzer, so the normal and sanitizer builds
// check the committed corpus: each file whole and cut at every length, since
// a file that ends early is the reader's most common bad input.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s corpus-folder-or-files...\n", argv[0]);
        return 2;
    }
    size_t runs = 0;
    for (const fs::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        for (size_t cut = 0; cut <= bytes.size(); ++cut) {
            // A copy of exactly `cut` bytes, so a read past the end is caught.
            const std::vector<uint8_t> prefix(bytes.begin(),
                                              bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            LLVMFuzzerTestOneInput(prefix.data(), prefix.size());
            ++runs;
        }
    }
    std::printf("%zu files, %zu inputs: no crash, every readable record wrote back\n", files.size(), runs);
    return 0;
}
