#pragma once
// A file's bytes read and written whole, for the tests of the files beside
// the record (plain C++: the core's tests use it too).
#include <fstream>
#include <iterator>
#include <string>

namespace kemless {

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace kemless
