#pragma once
// Runs the artgen tool for the tests that read back what it writes.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifndef ARTGEN_PATH
#error "ARTGEN_PATH must name the artgen executable"
#endif

namespace artgen_run {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline fs::path UniqueTempDir()
{
    std::random_device device;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return fs::temp_directory_path() / ("nightloom_artgen_" + std::to_string(device()) + "_" + std::to_string(ticks));
}

inline int RunArtgen(const std::string& arguments)
{
    const std::string command = std::string("\"") + ARTGEN_PATH + "\" " + arguments;
    return std::system(command.c_str());
}

inline int RunArtgenInto(const fs::path& dir)
{
    return RunArtgen("\"" + dir.string() + "\"");
}

inline Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace artgen_run
