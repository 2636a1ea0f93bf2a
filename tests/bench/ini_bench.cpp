// Reading and adding a key in a 10 MB settings file: through SettingsFile on
// the fake platform (the program's whole path: file bytes, GBK names, the INI
// rules, the write-back) and on the INI text alone. Prints one JSON line of
// milliseconds, each the median of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Program.h"
#include "settings/IniText.h"
#include "settings/SettingsKeys.h"
#include "support/FakePlatform.h"

namespace {

constexpr std::size_t kFileBytes = 10'000'000;
constexpr int kRuns = 7;

// GBK text of sections [节0], [节1], ... each with a few keys, up to `bytes`
// bytes; `last` gets the name of the last section, `count` their number.
std::string manySections(varnel::Platform& platform, std::size_t bytes, std::string& last,
                         int& count) {
    std::string text;
    for (count = 0; text.size() < bytes; ++count) {
        last = "节" + std::to_string(count);
        text += platform.gbkFromUtf8(
            "[" + last + "]\r\n小时=23\r\n分钟=0\r\n说明=" + std::string(80, 'v') + "\r\n");
    }
    return text;
}

template <typename Work>
double medianMs(Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    varnel::testing::FakePlatform fake;
    std::string last;
    int sections = 0;
    const std::string original = manySections(fake, kFileBytes, last, sections);
    const std::string path = fake.path(varnel::keys::kFileName);
    fake.files[path].bytes = original;
    varnel::Program program(fake);

    std::string read;
    const double fileRead = medianMs([&] { read = program.settings.readSetting(last, "分钟"); });
    const double fileAdd = medianMs([&] {
        fake.files[path].bytes = original;
        program.settings.writeSetting(last, "新键", "1");
    });
    const bool added = program.settings.readSetting(last, "新键") == "1" &&
                       fake.files[path].bytes.size() > original.size();

    const std::string gbkLast = fake.gbkFromUtf8(last);
    const std::string gbkKey = fake.gbkFromUtf8("分钟");
    const std::string gbkNew = fake.gbkFromUtf8("新键");
    const double textRead = medianMs([&] { varnel::ini::readValue(original, gbkLast, gbkKey); });
    std::string written;
    const double textAdd =
        medianMs([&] { written = varnel::ini::writeValue(original, gbkLast, gbkNew, "1"); });

    const bool ok = read == "0" && added && written.size() > original.size();
    std::printf(
        "{\"bytes\":%zu,\"sections\":%d,\"fileReadMs\":%.2f,\"fileAddMs\":%.2f,"
        "\"textReadMs\":%.2f,\"textAddMs\":%.2f,\"ok\":%s}\n",
        original.size(), sections, fileRead, fileAdd, textRead, textAdd, ok ? "true" : "false");
    return ok ? 0 : 2;
}
