// A fuzz target's entry point run once on each file given, or on each file in
// each folder given: its seed corpus replayed by the test command with the
// project's own compiler, no libFuzzer needed. A target that finds a fault
// aborts, and so fails the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path given(argv[i]);
        if (!fs::is_directory(given)) {
            inputs.push_back(given);
            continue;
        }
        for (const fs::directory_entry &e : fs::directory_iterator(given))
            if (e.is_regular_file())
                inputs.push_back(e.path());
    }
    // An empty corpus would replay nothing and pass.
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s <input file or folder>... (no inputs found)\n", argv[0]);
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path &p : inputs) {
        std::ifstream in(p, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", p.c_str());
            return 1;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::printf("%s (%zu bytes)\n", p.filename().c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed without a fault\n", inputs.size());
    return 0;
}
