#pragma once
// A scratch directory for one test, removed with its contents afterwards.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace vellox::render
{

class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vellox-render-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries in the directory, hidden ones included.
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace vellox::render
