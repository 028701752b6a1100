#include "framework/text_template.h"

#include <algorithm>

namespace {

constexpr int kMaxWidth = 1024;

struct Conversion {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool zeroPad = false;
    bool usesStar = false;
    int width = 0;
    int precision = -1;
    std::string_view length;
    char letter = 0;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int ReadNumber(std::string_view text, std::size_t& pos)
{
    int value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value = std::min(kMaxWidth, value * 10 + (text[pos] - '0'));
        ++pos;
    }
    return value;
}

// Parses the conversion whose "%" is at `pos`; pos ends after it. False when the text ends
// before the conversion letter.
bool ParseConversion(std::string_view text, std::size_t& pos, Conversion& out)
{
    ++pos;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '-')
            out.leftAlign = true;
        else if (c == '+')
            out.plusSign = true;
        else if (c == ' ')
            out.spaceSign = true;
        else if (c == '0')
            out.zeroPad = true;
        else if (c != '#')
            break;
    }
    if (pos < text.size() && text[pos] == '*') {
        out.usesStar = true;
        ++pos;
    } else {
        out.width = ReadNumber(text, pos);
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        if (pos < text.size() && text[pos] == '*') {
            out.usesStar = true;
            ++pos;
        } else {
            out.precision = ReadNumber(text, pos);
        }
    }
    const std::size_t lengthStart = pos;
    while (pos < text.size() && std::string_view("hlLqjzt").find(text[pos]) != std::string_view::npos)
        ++pos;
    out.length = text.substr(lengthStart, pos - lengthStart);
    if (pos >= text.size())
        return false;
    out.letter = text[pos++];
    return true;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsIntegerLength(std::string_view length)
{
    return length.empty() || length == "h" || length == "hh" || length == "l" || length == "ll"
        || length == "j" || length == "z" || length == "t";
}

bool IsNumberLetter(char letter)
{
    return letter == 'd' || letter == 'i' || letter == 'u';
}

void AppendPadded(std::string& out, std::string_view body, const Conversion& conversion)
{
    const std::size_t width = static_cast<std::size_t>(conversion.width);
    const std::size_t padding = width > body.size() ? width - body.size() : 0;
    if (!conversion.leftAlign)
        out.append(padding, ' ');
    out.append(body);
    if (conversion.leftAlign)
        out.append(padding, ' ');
}

// At most `limit` bytes, never ending inside a UTF-8 sequence.
std::string_view CutText(std::string_view text, int limit)
{
    if (limit < 0 || static_cast<std::size_t>(limit) >= text.size())
        return text;
    std::size_t end = static_cast<std::size_t>(limit);
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string PlainText(const TemplateArgument& argument)
{
    return argument.IsText() ? argument.Text() : std::to_string(argument.Number());
}

void AppendNumber(std::string& out, std::int64_t number, const Conversion& conversion)
{
    const bool negative = number < 0;
    // Through unsigned arithmetic, so that the most negative value has a magnitude too.
    const std::uint64_t magnitude
        = negative ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
    std::string digits
        = magnitude == 0 && conversion.precision == 0 ? std::string() : std::to_string(magnitude);
    if (conversion.precision > 0 && digits.size() < static_cast<std::size_t>(conversion.precision))
        digits.insert(0, static_cast<std::size_t>(conversion.precision) - digits.size(), '0');
    std::string sign;
    if (negative)
        sign = "-";
    else if (conversion.letter != 'u' && conversion.plusSign)
        sign = "+";
    else if (conversion.letter != 'u' && conversion.spaceSign)
        sign = " ";
    const std::size_t width = static_cast<std::size_t>(conversion.width);
    if (conversion.zeroPad && !conversion.leftAlign && conversion.precision < 0
        && sign.size() + digits.size() < width)
        digits.insert(0, width - sign.size() - digits.size(), '0');
    AppendPadded(out, sign + digits, conversion);
}

std::string Fill(std::string_view text, std::span<const TemplateArgument> arguments, bool& fits)
{
    fits = true;
    std::string out;
    std::size_t next = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t percent = text.find('%', pos);
        out.append(
            text.substr(pos, percent == std::string_view::npos ? std::string_view::npos : percent - pos));
        if (percent == std::string_view::npos)
            break;
        pos = percent;
        Conversion conversion;
        if (!ParseConversion(text, pos, conversion)) {
            // A template that ends inside a conversion keeps those characters as they are.
            out.append(text.substr(percent));
            fits = false;
            break;
        }
        if (conversion.letter == '%') {
            out += '%';
            continue;
        }
        if (!IsAsciiLetter(conversion.letter)) {
            // Not a conversion at all ("50% ü"): keep the characters, consume nothing.
            out.append(text.substr(percent, pos - percent));
            fits = false;
            continue;
        }
        if (conversion.usesStar)
            fits = false;
        if (next >= arguments.size()) {
            fits = false;
            continue;
        }
        const TemplateArgument& argument = arguments[next++];
        if (conversion.letter == 's') {
            if (!argument.IsText() || !conversion.length.empty())
                fits = false;
            AppendPadded(out, CutText(PlainText(argument), conversion.precision), conversion);
        } else if (IsNumberLetter(conversion.letter) && !argument.IsText()) {
            if (!IsIntegerLength(conversion.length))
                fits = false;
            AppendNumber(out, argument.Number(), conversion);
        } else {
            fits = false;
            AppendPadded(out, PlainText(argument), conversion);
        }
    }
    return out;
}

} // namespace

std::string FillTemplate(std::string_view text, std::span<const TemplateArgument> arguments)
{
    bool fits = false;
    return Fill(text, arguments, fits);
}

std::string FillTemplate(std::string_view text, std::initializer_list<TemplateArgument> arguments)
{
    return FillTemplate(text, std::span<const TemplateArgument>(arguments.begin(), arguments.size()));
}

bool TemplateFits(std::string_view text, std::span<const TemplateArgument> arguments)
{
    bool fits = false;
    Fill(text, arguments, fits);
    return fits;
}

bool TemplateFits(std::string_view text, std::initializer_list<TemplateArgument> arguments)
{
    return TemplateFits(text, std::span<const TemplateArgument>(arguments.begin(), arguments.size()));
}
