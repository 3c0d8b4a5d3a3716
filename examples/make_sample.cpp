// Writes the bundled sample database, or a made-up one of any size:
//   make_sample OUTPUT.bnd
//   make_sample --generate COUNT [--seed N] [--everything | --mixed | --market] OUTPUT.bnd

#include "examples/generated.h"
#include "examples/sample_data.h"
#include "model/bondfile.h"
#include "model/numbers.h"

#include <fstream>
#include <iostream>
#include <string_view>

namespace {

constexpr const char* kUsage = "usage: make_sample OUTPUT.bnd\n"
                               "       make_sample --generate COUNT [--seed N] [--everything | --mixed | --market] OUTPUT.bnd\n"
                               "  --generate: COUNT Type I bonds paying every 3, 6 or 12 months, maturing 1 to 30\n"
                               "  years after 2026-12-06; --everything mixes in Type II bonds and every odd case;\n"
                               "  --mixed makes every other bond a Type II loan of forty quarterly payments;\n"
                               "  --market: coupon bonds of up to 40 years and one zero in ten, priced off a curve\n";

int Usage()
{
    std::cerr << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tenvix;
    std::string output;
    std::optional<int> count;
    int seed = 1;
    GeneratedMix mix = GeneratedMix::TypeI;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if ((a == "--generate" || a == "--seed") && i + 1 < argc) {
            const auto n = ReadWholeNumber(argv[++i]);
            if (!n || *n < 0)
                return Usage();
            (a == "--seed" ? seed : count.emplace()) = *n;
        } else if (a == "--everything") {
            mix = GeneratedMix::Everything;
        } else if (a == "--market") {
            mix = GeneratedMix::Market;
        } else if (a == "--mixed") {
            mix = GeneratedMix::Mixed;
        } else if (output.empty() && !a.starts_with("--")) {
            output = a;
        } else {
            return Usage();
        }
    }
    if (output.empty())
        return Usage();
    const std::string bytes =
        count ? GenerateDatabase(static_cast<std::size_t>(*count), static_cast<std::uint32_t>(seed), mix)
              : StoreBondDatabase(MakeSampleDatabase());
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "make_sample: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
