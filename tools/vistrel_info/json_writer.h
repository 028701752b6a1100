#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A small streaming JSON writer: the caller opens and closes arrays and objects in order; the
// writer places commas and escapes texts. Texts that are not valid UTF-8 (camera tags often
// hold Latin-1 or garbage) are written byte by byte as the code points U+0000 to U+00FF.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view key);

    void String(std::string_view text);
    void Integer(int64_t value);
    void Number(double value);
    void Null();

    const std::string& Text() const { return m_out; }

private:
    void BeforeValue();
    void Raw(std::string_view text) { m_out += text; }

    std::string m_out;
    bool m_needComma = false;
};

// Appends text as a JSON string literal (with its quotes).
void AppendJsonString(std::string& out, std::string_view text);
