// Writes the program's four default cue files into a folder:
//     make_cues <folder>
// The files in sound/cues are its output; regenerate them with the
// "regenerate_cues" build target after changing the sounds.

#include "cue_synth.h"
#include "texts.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    using tavrin::cues::Cue;
    namespace texts = tavrin::texts;
    const struct {
        Cue cue;
        const char *name;
    } files[] = {{Cue::Tick, texts::defaultCue1},
                 {Cue::AnswerEnd, texts::defaultCue2},
                 {Cue::ExamEnd, texts::defaultCue3},
                 {Cue::Chime, texts::chimeCue}};

    for (const auto &f : files) {
        const std::string path = std::string(argv[1]) + "/" + f.name;
        const auto bytes = tavrin::cues::wavFile(tavrin::cues::synthesize(f.cue));
        // Written beside the target and renamed, so that a failed run never
        // leaves a cut-off cue file behind.
        const std::string part = path + ".part";
        std::FILE *out = std::fopen(part.c_str(), "wb");
        if (!out) {
            std::perror(part.c_str());
            return 1;
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        if (std::fclose(out) != 0 || !written || std::rename(part.c_str(), path.c_str()) != 0) {
            std::perror(path.c_str());
            std::remove(part.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes, %.2f s\n", path.c_str(), bytes.size(),
                    static_cast<double>(bytes.size() - 44) / 2 / tavrin::cues::sampleRate);
    }
    return 0;
}
