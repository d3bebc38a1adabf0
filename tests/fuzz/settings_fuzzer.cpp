// Any bytes through both settings readers. Nothing may crash, and a record
// that reads must be written back to a line that reads again; from then on a
// write and a read change nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/settings_store.h"
#include "records/shift_jis.h"

namespace {

using namespace kemless;

[[noreturn]] void Fail(const char* what, std::string_view input) {
    std::fprintf(stderr, "settings round trip broken: %s (input of %zu bytes)\n", what, input.size());
    std::abort();
}

// The one change a first write may make to a text: a double quote cannot be
// stored and is dropped, and U+FFFD (an undecodable byte on reading) has no
// Shift_JIS form and becomes "?". Anything else must survive unchanged.
std::string AfterFirstWrite(const std::string& text) {
    static const std::string kReplacement = "\xEF\xBF\xBD";
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, kReplacement.size(), kReplacement) == 0) {
            out += '?';
            i += kReplacement.size() - 1;
        } else if (text[i] != '"') {
            out += text[i];
        }
    }
    return out;
}

// `read` is what the reader made of the input; writing it must give a line
// that reads as `expected`, and writing that again must give the same line.
template <typename Record, typename Parse, typename Format>
void CheckRoundTrip(std::string_view input, Parse parse, Format format, const Record& read,
                    const Record& expected) {
    const std::string line1 = Utf8ToShiftJis(format(read));
    if (line1.size() < 2 || line1.compare(line1.size() - 2, 2, "\r\n") != 0)
        Fail("a written line does not end in CR LF", input);
    const auto back = parse(line1);
    if (!back) Fail("a written line does not read", input);
    if (!(*back == expected)) Fail("a written line reads as another record", input);
    if (Utf8ToShiftJis(format(*back)) != line1)
        Fail("writing the record read back gives another line", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    if (auto initial = ParseInitialFile(input))
        CheckRoundTrip(input, ParseInitialFile, FormatInitialLine, *initial, *initial);

    if (auto option = ParseOptionFile(input)) {
        OptionSettings expected = *option;
        expected.linkUrl = AfterFirstWrite(option->linkUrl);
        expected.statusMode = AfterFirstWrite(option->statusMode);
        CheckRoundTrip(input, ParseOptionFile, FormatOptionLine, *option, expected);
    }
    return 0;
}
