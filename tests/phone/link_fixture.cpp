#include "link_fixture.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <regex>

namespace mivex::phone::test {

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::vector<TraceRecord> TraceRecords(const std::filesystem::path& file) {
    // A T or R record starts "\r\nSS.HH T\r\n"; the start and end lines
    // ("SS.HH -- ...") hold no line data.
    static const std::regex header(
        "\r\n[0-9]{2}\\.[0-9]{2} ([TR])\r\n|\r\n[0-9]{2}\\.[0-9]{2} -- ");
    const std::string text = ReadFile(file);
    std::vector<TraceRecord> records;
    std::size_t dataStart = 0;
    char kind = 0;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), header);
         match != std::sregex_iterator(); ++match) {
        if (kind != 0)
            records.emplace_back(kind, text.substr(dataStart, match->position() - dataStart));
        kind = (*match)[1].matched ? (*match)[1].str()[0] : 0;
        dataStart = static_cast<std::size_t>(match->position() + match->length());
    }
    if (kind != 0)
        records.emplace_back(kind, text.substr(dataStart));
    return records;
}

}  // namespace mivex::phone::test
