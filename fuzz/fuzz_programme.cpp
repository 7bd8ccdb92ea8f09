// The programme file's reader on any bytes.
//
// What must hold for every input:
// - nothing crashes or throws; a refusal names a line within the file;
// - a programme read keeps every bound the editor checks (1..100 parts,
//   each number 1..32767, each block and the day within theirs);
// - what the program writes for it reads back to the same programme, and
//   writing that again gives the same bytes.

#include "programme_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tavrin;

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &input)
{
    std::fprintf(stderr, "%s\ninput (hex): %s\n", what, input.left(400).toHex().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const ProgrammeRead r = parseProgramme(input);
    if (!r.ok()) {
        if (r.error.isEmpty() || r.line < 0 || r.line > input.count('\n') + 1)
            fail("a refusal without a reason or with a line outside the file", input);
        return 0;
    }
    if (!r.error.isEmpty() || r.line != 0)
        fail("a programme read with an error beside it", input);
    if (!checkProgramme(*r.programme).isEmpty())
        fail("a programme read breaks a bound the editor checks", input);
    const QByteArray written = formatProgramme(*r.programme);
    const ProgrammeRead back = parseProgramme(written);
    if (!back.ok() || !(*back.programme == *r.programme))
        fail("what was written does not read back to the same programme", input);
    if (formatProgramme(*back.programme) != written)
        fail("a second write gives different bytes", input);
    return 0;
}
