// A settings folder of a test's own, and environment variables a test
// changes put back as they were.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace kalix {

// Keeps the value of an environment variable (or that it was unset) and
// puts it back when the object ends.
class KeptVariable {
  public:
    explicit KeptVariable(const char* name) : name(name) {
        if (const char* value = std::getenv(name)) saved = value;
    }
    ~KeptVariable() {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }
    KeptVariable(const KeptVariable&) = delete;
    KeptVariable& operator=(const KeptVariable&) = delete;

  private:
    const char* name;
    std::optional<std::string> saved;
};

// XDG_CONFIG_HOME names a folder of the test's own for the life of the
// object, so a test never touches the user's settings or word list: a new
// temporary folder, removed at the end, or the folder given (left alone).
class PrivateSettingsFolder {
  public:
    std::filesystem::path root;

    PrivateSettingsFolder() : owned(true) {
        char pattern[] = "/tmp/kalix-settings-XXXXXX";
        root = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    }
    explicit PrivateSettingsFolder(const std::filesystem::path& folder) : root(folder) {
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    }
    ~PrivateSettingsFolder() {
        if (owned) std::filesystem::remove_all(root);
    }
    PrivateSettingsFolder(const PrivateSettingsFolder&) = delete;
    PrivateSettingsFolder& operator=(const PrivateSettingsFolder&) = delete;

  private:
    KeptVariable kept{"XDG_CONFIG_HOME"};
    bool owned = false;
};

}  // namespace kalix
