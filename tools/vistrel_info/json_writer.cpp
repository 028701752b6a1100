#include "json_writer.h"

#include <cmath>
#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one.
size_t Utf8SequenceLength(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    char32_t minimum;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    char32_t codePoint = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void AppendEscapedCodePoint(std::string& out, unsigned int codePoint)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", codePoint);
    out += escape;
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            ++i;
            continue;
        case '\\':
            out += "\\\\";
            ++i;
            continue;
        case '\n':
            out += "\\n";
            ++i;
            continue;
        case '\r':
            out += "\\r";
            ++i;
            continue;
        case '\t':
            out += "\\t";
            ++i;
            continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            AppendEscapedCodePoint(out, c);
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            AppendEscapedCodePoint(out, c); // a stray byte, read as Latin-1
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    out += '"';
}

void JsonWriter::BeforeValue()
{
    if (m_needComma)
        m_out += ',';
    m_needComma = true;
}

void JsonWriter::BeginObject()
{
    BeforeValue();
    Raw("{");
    m_needComma = false;
}

void JsonWriter::EndObject()
{
    Raw("}");
    m_needComma = true;
}

void JsonWriter::BeginArray()
{
    BeforeValue();
    Raw("[");
    m_needComma = false;
}

void JsonWriter::EndArray()
{
    Raw("]");
    m_needComma = true;
}

void JsonWriter::Key(std::string_view key)
{
    BeforeValue();
    AppendJsonString(m_out, key);
    Raw(":");
    m_needComma = false;
}

void JsonWriter::String(std::string_view text)
{
    BeforeValue();
    AppendJsonString(m_out, text);
}

void JsonWriter::Integer(int64_t value)
{
    BeforeValue();
    m_out += std::to_string(value);
}

void JsonWriter::Number(double value)
{
    BeforeValue();
    if (!std::isfinite(value)) {
        Raw("null"); // JSON has no NaN or infinity
        return;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    m_out += text;
}

void JsonWriter::Null()
{
    BeforeValue();
    Raw("null");
}
