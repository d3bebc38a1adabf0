#include "records/shift_jis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "basics/text.h"

namespace kemless {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`, calling `onBad(in, left)` for an invalid or unconvertible
    // sequence; it appends a substitute to `out` and says how many input bytes to skip.
    template <typename OnBad>
    std::string run(std::string_view input, OnBad onBad) {
        std::string out;
        out.reserve(input.size() * 3 / 2 + 8);
        char* in = const_cast<char*>(input.data());
        size_t left = input.size();
        char buf[1024];
        while (left > 0) {
            char* dst = buf;
            size_t room = sizeof buf;
            size_t r = iconv(cd_, &in, &left, &dst, &room);
            out.append(buf, dst - buf);
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                size_t skip = onBad(std::string_view(in, left), out);
                in += skip;
                left -= skip;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        char* dst = buf;
        size_t room = sizeof buf;
        iconv(cd_, nullptr, nullptr, &dst, &room);
        out.append(buf, dst - buf);
        return out;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::string Utf8ToShiftJis(std::string_view utf8) {
    Converter conv("CP932", "UTF-8");
    if (!conv.ok()) return std::string(utf8);
    return conv.run(utf8, [](std::string_view rest, std::string& out) {
        out += '?';
        return std::min(rest.size(), Utf8SequenceLength(static_cast<unsigned char>(rest.front())));
    });
}

std::string ShiftJisToUtf8(std::string_view sjis) {
    Converter conv("UTF-8", "CP932");
    if (!conv.ok()) return std::string(sjis);
    return conv.run(sjis, [](std::string_view, std::string& out) {
        out += "\xEF\xBF\xBD";  // U+FFFD
        return size_t{1};
    });
}

}  // namespace kemless
