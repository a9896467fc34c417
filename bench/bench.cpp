// velmar-bench: each figure is measured beside a baseline in the same run, and written as a table.

#include "codec.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace velmar;
using Clock = std::chrono::steady_clock;

namespace {

// Keeps the optimiser from dropping work whose result nobody reads.
volatile std::size_t sink;

// Operations per second of `work`, best of five half-second rounds.
double Rate(const std::function<std::size_t()> &work)
{
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        std::size_t count = 0;
        const auto start = Clock::now();
        auto elapsed = Clock::duration::zero();
        while (elapsed < std::chrono::milliseconds(500)) {
            for (int i = 0; i < 1000; ++i)
                sink = sink + work();
            count += 1000;
            elapsed = Clock::now() - start;
        }
        best = std::max(best, count / std::chrono::duration<double>(elapsed).count());
    }
    return best;
}

struct Row
{
    std::string what;
    double rate;
    std::string baseline;
    double baselineRate;
};

std::string Format(double rate)
{
    char text[64];
    if (rate >= 1e6)
        std::snprintf(text, sizeof text, "%.2f M/s", rate / 1e6);
    else
        std::snprintf(text, sizeof text, "%.0f /s", rate);
    return text;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string out;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            out = argv[++i];

    BoardConfig config;
    config.record.liftIp = {127, 0, 0, 2};
    config.versionText = "VLM 1.0";
    const Bytes reply = ConfigReply(config);
    const Bytes junk(8192, 'x');
    ConfigWriteValues values;
    values.consoleDynamic = true;
    const Bytes copySource(100, 'x');

    auto copy100 = [&] { return Bytes(copySource).size(); };
    std::vector<Row> rows = {
        {"ReadRequest built", Rate([] { return ReadRequest('C').size(); }), "100-byte string copied",
         Rate(copy100)},
        {"ConfigWrite built", Rate([&] { return ConfigWrite(values).size(); }), "100-byte string copied",
         Rate(copy100)},
        {"ConfigReply decoded", Rate([&] { return DecodeDatagram(reply).reply->recordHead.size(); }),
         "100-byte string copied", Rate(copy100)},
        {"8192-byte junk decoded", Rate([&] { return std::size_t(DecodeDatagram(junk).reply.has_value()); }),
         "8192 bytes searched for a letter", Rate([&] { return junk.find('y'); })},
    };

    std::string table = "| measured | rate | beside | rate | ratio |\n|---|---|---|---|---|\n";
    for (const Row &row : rows) {
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, "%.2f", row.rate / row.baselineRate);
        table += "| " + row.what + " | " + Format(row.rate) + " | " + row.baseline + " | " +
                 Format(row.baselineRate) + " | " + ratio + " |\n";
    }
    std::printf("%s", table.c_str());
    if (!out.empty()) {
        std::ofstream file(out);
        file << "# Performance\n\n"
             << "Measured by `./do bench` (a Release build; best of five half-second rounds each). "
             << "Each figure stands beside a baseline measured in the same run on the same machine, so the "
             << "ratio, not the absolute rate, is what carries over to other machines.\n\n"
             << "## Frames built and decoded\n\n"
             << table;
    }
    return 0;
}
