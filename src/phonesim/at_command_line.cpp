#include "phonesim/at_command_line.h"

#include <charconv>

namespace mivex::phonesim {
namespace {

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Extended command names: "+" then letters, digits and a few marks (27.007 names
// such as "+CMGS" and vendor names such as "+XYZ_1").
bool IsNameChar(char c) {
    return IsUpper(c) || IsDigit(c) || c == '!' || c == '%' || c == '-' || c == '.' || c == '/' ||
           c == ':' || c == '_';
}

std::size_t DigitsFrom(std::string_view text, std::size_t position) {
    while (position < text.size() && IsDigit(text[position])) {
        ++position;
    }
    return position;
}

// The end of an extended command: the next ";" outside quotes, or the end.
std::optional<std::size_t> ExtendedEnd(std::string_view body, std::size_t position) {
    bool quoted = false;
    for (; position < body.size(); ++position) {
        if (body[position] == '"') {
            quoted = !quoted;
        } else if (body[position] == ';' && !quoted) {
            break;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    return position;
}

AtCommand ExtendedCommand(std::string name, std::string_view tail) {
    if (tail.empty()) {
        return {std::move(name), CommandForm::Action, {}};
    }
    if (tail == "?") {
        return {std::move(name), CommandForm::Read, {}};
    }
    if (tail == "=?") {
        return {std::move(name), CommandForm::Test, {}};
    }
    return {std::move(name), CommandForm::Set, std::string(tail.substr(1))};
}

}  // namespace

std::string NormaliseCommandLine(std::string_view line) {
    std::string normal;
    normal.reserve(line.size());
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        }
        if (quoted || c == '"') {
            normal += c;
        } else if (c >= 'a' && c <= 'z') {
            normal += static_cast<char>(c - 'a' + 'A');
        } else if (c != ' ' && c != '\t') {
            normal += c;
        }
    }
    return normal;
}

std::optional<std::vector<AtCommand>> SplitCommands(std::string_view body) {
    std::vector<AtCommand> commands;
    std::size_t position = 0;
    while (position < body.size()) {
        const char c = body[position];
        if (c == ';') {
            ++position;
        } else if (c == '+') {
            std::size_t nameEnd = position + 1;
            while (nameEnd < body.size() && IsNameChar(body[nameEnd])) {
                ++nameEnd;
            }
            const std::optional<std::size_t> end = ExtendedEnd(body, nameEnd);
            const std::string_view tail = body.substr(nameEnd, end ? *end - nameEnd : 0);
            if (!end || nameEnd == position + 1 ||
                (!tail.empty() && tail[0] != '=' && tail != "?")) {
                return std::nullopt;
            }
            commands.push_back(
                ExtendedCommand(std::string(body.substr(position, nameEnd - position)), tail));
            position = *end;
        } else if (c == 'S' && position + 1 < body.size() && IsDigit(body[position + 1])) {
            // S-registers: "S0=2" sets, "S0?" reads.
            const std::size_t numberEnd = DigitsFrom(body, position + 1);
            AtCommand command{
                std::string(body.substr(position, numberEnd - position)), CommandForm::Action, {}};
            position = numberEnd;
            if (position < body.size() && body[position] == '?') {
                command.form = CommandForm::Read;
                ++position;
            } else if (position < body.size() && body[position] == '=') {
                const std::size_t valueEnd = DigitsFrom(body, position + 1);
                command.form = CommandForm::Set;
                command.arguments = std::string(body.substr(position + 1, valueEnd - position - 1));
                position = valueEnd;
            }
            commands.push_back(std::move(command));
        } else if (IsUpper(c) ||
                   (c == '&' && position + 1 < body.size() && IsUpper(body[position + 1]))) {
            // Basic commands: a letter (or "&" and a letter) and an optional number.
            const std::size_t nameEnd = position + (c == '&' ? 2 : 1);
            const std::size_t valueEnd = DigitsFrom(body, nameEnd);
            AtCommand command{std::string(body.substr(position, nameEnd - position)),
                              valueEnd > nameEnd ? CommandForm::Set : CommandForm::Action,
                              std::string(body.substr(nameEnd, valueEnd - nameEnd))};
            commands.push_back(std::move(command));
            position = valueEnd;
        } else {
            return std::nullopt;
        }
    }
    return commands;
}

std::optional<std::vector<Argument>> SplitArguments(std::string_view arguments) {
    std::vector<Argument> split;
    Argument current;
    bool inQuotes = false;
    for (const char c : arguments) {
        if (c == '"') {
            inQuotes = !inQuotes;
            current.quoted = true;
        } else if (c == ',' && !inQuotes) {
            split.push_back(std::move(current));
            current = {};
        } else {
            current.text += c;
        }
    }
    if (inQuotes) {
        return std::nullopt;
    }
    split.push_back(std::move(current));
    return split;
}

std::optional<int> NumberArgument(const Argument& argument, int low, int high) {
    const std::string& text = argument.text;
    int value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (argument.quoted || text.empty() || status != std::errc{} ||
        end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace mivex::phonesim
