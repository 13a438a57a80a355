#pragma once

#include <string>

// A fresh folder below the system's temporary folder, removed with all it holds when
// the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::string& path() const { return m_path; }
    // path() + separator + relative.
    std::string file(const std::string& relative) const;
    // Writes `content` to the file `relative` (its folders made as needed) and returns its
    // full path.
    std::string writeFile(const std::string& relative, const std::string& content) const;
    // Makes the folder `relative` (with its parents) and returns its full path.
    std::string makeFolder(const std::string& relative) const;

private:
    std::string m_path;
};

// The whole content of a file; empty when it cannot be read.
std::string fileContent(const std::string& path);
