#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace ondrix::app::testing {

// A private folder that is removed with everything in it.
class TTempFolder
{
  public:
    TTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "ondrix-app-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace ondrix::app::testing
