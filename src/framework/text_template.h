#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// printf-style templates from the language table ("Taken %s %s  %s", "%lu KB"), filled by our
// own formatter: a template comes from a file that users and translators edit, so its
// conversions are never handed to the C library. Any thread.

// One argument: a text or a whole number (values beyond the signed 64-bit range are not used).
class TemplateArgument {
public:
    TemplateArgument(std::string_view text)
        : m_value(std::string(text))
    {
    }
    TemplateArgument(const char* text)
        : m_value(std::string(text))
    {
    }
    TemplateArgument(const std::string& text)
        : m_value(text)
    {
    }
    template <std::integral T>
    TemplateArgument(T number)
        : m_value(static_cast<std::int64_t>(number))
    {
    }

    bool IsText() const { return std::holds_alternative<std::string>(m_value); }
    const std::string& Text() const { return std::get<std::string>(m_value); }
    std::int64_t Number() const { return std::get<std::int64_t>(m_value); }

private:
    std::variant<std::string, std::int64_t> m_value;
};

// Fills the template: "%%" is a percent sign; "%s" takes a text, "%d", "%i" and "%u" (with any
// integer length modifier) take a number; flags, width and precision work as in printf (width
// and precision at most 1024). Every conversion consumes the next argument. A conversion that
// does not fit its argument writes the argument's plain text instead, one without an argument
// writes nothing, and a "*" width or precision is ignored; so a damaged template can garble the
// text but never the program.
std::string FillTemplate(std::string_view text, std::span<const TemplateArgument> arguments);
std::string FillTemplate(std::string_view text, std::initializer_list<TemplateArgument> arguments);

// True when each conversion of the template fits the argument in its place, as printf would
// need: no conversion without an argument, no "*", only the conversions above.
bool TemplateFits(std::string_view text, std::span<const TemplateArgument> arguments);
bool TemplateFits(std::string_view text, std::initializer_list<TemplateArgument> arguments);
