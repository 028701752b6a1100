#include "shell/argument_text.h"

#include <filesystem>
#include <system_error>

namespace {

std::string AbsoluteWhenExisting(const std::string& argument)
{
    if (argument.empty() || argument.front() == '/' || argument.front() == '-')
        return argument;
    std::error_code error;
    const std::filesystem::path path(argument);
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error)))
        return argument;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? argument : absolute.lexically_normal().string();
}

void AppendQuotedWhenNeeded(std::string& line, const std::string& argument)
{
    const bool needsQuotes
        = argument.empty() || argument.find(' ') != std::string::npos || argument.front() == '"';
    if (needsQuotes)
        line += '"';
    line += argument;
    if (needsQuotes)
        line += '"';
}

} // namespace

std::string CommandLineFromArguments(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            line += ' ';
        const std::string argument = argv[i] ? argv[i] : "";
        AppendQuotedWhenNeeded(line, i == 0 ? argument : AbsoluteWhenExisting(argument));
    }
    return line;
}

std::string ArgumentTextOf(std::string_view commandLine)
{
    size_t pos = commandLine.find_first_not_of(' ');
    if (pos == std::string_view::npos)
        return {};
    if (commandLine[pos] == '"') {
        const size_t closing = commandLine.find('"', pos + 1);
        if (closing == std::string_view::npos)
            return {};
        pos = closing + 1;
    } else {
        pos = commandLine.find(' ', pos);
        if (pos == std::string_view::npos)
            return {};
    }
    pos = commandLine.find_first_not_of(' ', pos);
    return pos == std::string_view::npos ? std::string{} : std::string(commandLine.substr(pos));
}

std::vector<std::string> TokenizeArguments(std::string_view argumentText)
{
    std::vector<std::string> tokens;
    size_t pos = 0;
    while (pos < argumentText.size()) {
        if (argumentText[pos] == ' ') {
            ++pos;
            continue;
        }
        size_t end;
        std::string_view token;
        if (argumentText[pos] == '"') {
            end = argumentText.find('"', pos + 1);
            token = argumentText.substr(
                pos + 1, end == std::string_view::npos ? std::string_view::npos : end - pos - 1);
            pos = end == std::string_view::npos ? argumentText.size() : end + 1;
        } else {
            end = argumentText.find(' ', pos);
            token = argumentText.substr(pos,
                                        end == std::string_view::npos ? std::string_view::npos : end - pos);
            pos = end == std::string_view::npos ? argumentText.size() : end;
        }
        if (!token.empty())
            tokens.emplace_back(token);
    }
    return tokens;
}
