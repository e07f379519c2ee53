#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/device_link.h"

namespace blx52::test {

// Every status text the link writes, with the link code at the moment of writing, so that the
// order message, code, number can be checked.
class RecordingSink final : public StatusSink {
  public:
    struct Entry {
        int panel;
        std::string text;
        std::int32_t codeWhenWritten;
        bool operator==(const Entry&) const = default;
    };

    void watch(const DeviceLink* link) { link_ = link; }
    void setPanelText(int panel, const std::string& text) override {
        entries.push_back({panel, text, link_ != nullptr ? link_->LinkErrorCode : -1});
    }
    std::vector<std::pair<int, std::string>> texts() const {
        std::vector<std::pair<int, std::string>> out;
        for (const auto& e : entries)
            out.emplace_back(e.panel, e.text);
        return out;
    }

    std::vector<Entry> entries;

  private:
    const DeviceLink* link_ = nullptr;
};

#ifndef _WIN32
// A private ports folder: XDG_CONFIG_HOME points at a fresh temporary folder while it lives.
class TempConfigHome {
  public:
    TempConfigHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "blx52-link-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            path_ = made;
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            old_ = old;
        ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }
    ~TempConfigHome() {
        if (old_) {
            ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        std::error_code error;
        if (!path_.empty())
            std::filesystem::remove_all(path_, error);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::optional<std::string> old_;
};
#endif

inline const std::string OpenFailedText = "Com Port konnte nicht geöffnet werden";
inline const std::string CountText = " Anzahl der gesendeten Zeichen fehlerhaft";
inline const std::string ReadFailedText = "Fehler beim lesen vom Com Port";

}  // namespace blx52::test
