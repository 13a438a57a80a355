#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("nimbra-test-" + std::to_string(random()));
        // create_directory is false for a name that exists already: try another.
        if (fs::create_directory(candidate)) {
            m_path = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempDir::file(const std::string& relative) const
{
    return (fs::path(m_path) / relative).string();
}

std::string TempDir::writeFile(const std::string& relative, const std::string& content) const
{
    const fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path.string();
}

std::string TempDir::makeFolder(const std::string& relative) const
{
    const fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path);
    return path.string();
}

std::string fileContent(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
