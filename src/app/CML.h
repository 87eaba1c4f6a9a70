#pragma once

#include <optional>
#include <string>
#include <vector>

// The menu texts of the current language, looked up by key. A key without a
// text is shown as it is, which is also how computed texts pass through widgets.
class CML {
public:
    static std::string text(const std::string& key);
    // Switches language and loads its file at once.
    static void setLanguage(const std::string& language);
    static const std::string& getLanguage() { return language_; }
    static void aux_load_texts();

    // Back to the state at program start (tests only).
    static void reset();

private:
    static std::string language_;
    static std::optional<std::vector<std::string>> keys_;
    static std::vector<std::string> texts_;
};
