#include "settings/SettingsFile.h"

#include <utility>

#include "common/Number.h"
#include "settings/FileText.h"
#include "settings/IniText.h"
#include "settings/SettingsKeys.h"

namespace varnel {

namespace {

// Text between the program and INI text of the given encoding. The text of a
// file saved as UTF-8 or UTF-16 is UTF-8 already.
std::string toFile(Platform& platform, ini::Encoding encoding, const std::string& utf8) {
    return encoding == ini::Encoding::Gbk ? platform.gbkFromUtf8(utf8) : utf8;
}

std::string fromFile(Platform& platform, ini::Encoding encoding, const std::string& bytes) {
    return encoding == ini::Encoding::Gbk ? platform.utf8FromGbk(bytes) : bytes;
}

class FileLock {
public:
    FileLock(Platform& platform, const std::string& path) : platform_(platform), path_(path) {
        platform_.lockFile(path_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() { platform_.unlockFile(path_); }

private:
    Platform& platform_;
    const std::string& path_;
};

}  // namespace

std::string SettingsFile::dataDirectory() const {
    return dataDirectory_.empty() ? platform_.exeDirectory() : dataDirectory_;
}

std::string SettingsFile::path() const {
    return dataDirectory() + keys::kFileName;
}

bool SettingsFile::exists() const {
    return platform_.fileExists(path());
}

std::string SettingsFile::readSetting(const std::string& section, const std::string& key,
                                      const std::string& fallback) const {
    std::optional<std::string> bytes = platform_.readFile(path());
    if (!bytes) {
        return fallback;
    }
    const ini::FileText file(std::move(*bytes));
    const ini::Encoding encoding = ini::encodingOf(file.text());
    const std::optional<std::string> value = ini::readValue(
        file.text(), toFile(platform_, encoding, section), toFile(platform_, encoding, key));
    return value ? fromFile(platform_, encoding, *value) : fallback;
}

void SettingsFile::writeSetting(const std::string& section, const std::string& key,
                                const std::string& value) const {
    const Setting setting{section, key, value};
    writeSettings({&setting, 1});
}

bool SettingsFile::writeSettings(std::span<const Setting> settings) const {
    const std::string where = path();
    // Another copy of the program writing between our read and our write would
    // have its change undone by ours.
    const FileLock lock(platform_, where);
    std::optional<std::string> bytes = platform_.readFile(where);
    if (!bytes) {
        if (platform_.fileExists(where)) {
            return false;  // there but unreadable: writing would throw its content away
        }
        bytes.emplace();
    }
    const ini::FileText file(std::move(*bytes));
    const ini::Encoding encoding = ini::encodingOf(file.text());
    std::string updated = file.text();
    for (const Setting& setting : settings) {
        updated = ini::writeValue(updated, toFile(platform_, encoding, setting.section),
                                  toFile(platform_, encoding, setting.key),
                                  toFile(platform_, encoding, setting.value));
    }
    // Unchanged values leave the file alone.
    return updated == file.text() || platform_.writeFile(where, file.bytes(std::move(updated)));
}

bool SettingsFile::readOption(const std::string& section) const {
    return readSetting(section, keys::kOptionKey) == keys::kTrue;
}

void SettingsFile::writeOption(const std::string& section, bool on) const {
    writeSetting(section, keys::kOptionKey, on ? keys::kTrue : keys::kFalse);
}

int SettingsFile::readInt(const std::string& section, const std::string& key) const {
    return textToInt(readSetting(section, key));
}

}  // namespace varnel
