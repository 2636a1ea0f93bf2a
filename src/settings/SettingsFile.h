// The settings file "关机时间.ini" in the program's data directory: GBK bytes
// on disk (UTF-8 or UTF-16LE in a file that begins with that encoding's
// byte-order mark), UTF-8 in the program. Every access reads or writes the
// file afresh.
#pragma once

#include <span>
#include <string>
#include <utility>

#include "platform/Platform.h"

namespace varnel {

struct Setting {
    std::string section;
    std::string key;
    std::string value;
};

class SettingsFile {
public:
    explicit SettingsFile(Platform& platform) : platform_(platform) {}

    // Where the program keeps the files it writes: the settings file, the hotkey
    // reference and the window snapshot. The executable's directory until start-up
    // chooses (chooseDataDirectory).
    std::string dataDirectory() const;
    void setDataDirectory(std::string directory) { dataDirectory_ = std::move(directory); }

    std::string path() const;  // computed at every access
    bool exists() const;

    // The stored value, or `fallback` when the file, section or key is missing.
    std::string readSetting(const std::string& section, const std::string& key,
                            const std::string& fallback = "") const;
    void writeSetting(const std::string& section, const std::string& key,
                      const std::string& value) const;
    // Several values in one write of the file, so another copy of the program
    // reading it meanwhile sees all of them or none. False when the file could
    // not be written (held by another program, a full disk, no right to write):
    // it then holds none of them.
    bool writeSettings(std::span<const Setting> settings) const;

    // An on/off option: on exactly when its key "是" holds "真".
    bool readOption(const std::string& section) const;
    void writeOption(const std::string& section, bool on) const;
    // readSetting read as a number (empty or non-numeric gives 0).
    int readInt(const std::string& section, const std::string& key) const;

private:
    Platform& platform_;
    std::string dataDirectory_;  // "" = the executable's directory
};

}  // namespace varnel
