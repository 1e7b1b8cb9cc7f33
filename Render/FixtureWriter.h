#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

// Builds a binary data file field by field, in the little-endian layout the
// engine's data files read (strings as a 32-bit length and their bytes),
// and remembers where each field starts and what it holds, so that a test
// can cut the file short at any field or overwrite one of them. The demo
// data's files are built with it too.
class FixtureWriter {
public:
    struct Field {
        size_t offset;
        std::string label;
    };

    FixtureWriter& Int(int32_t value, const std::string& label) { return Raw(&value, sizeof(value), label); }
    FixtureWriter& Float(float value, const std::string& label) { return Raw(&value, sizeof(value), label); }
    FixtureWriter& Uint16(uint16_t value, const std::string& label) { return Raw(&value, sizeof(value), label); }
    // Two fields: label + " length", then the bytes without a terminator.
    FixtureWriter& String(const std::string& text, const std::string& label)
    {
        Int(static_cast<int32_t>(text.size()), label + " length");
        return Raw(text.data(), text.size(), label);
    }
    FixtureWriter& Raw(const void* data, size_t size, const std::string& label)
    {
        m_fields.push_back(Field{m_bytes.size(), label});
        m_bytes.append(static_cast<const char*>(data), size);
        return *this;
    }

    const std::string& GetBytes() const { return m_bytes; }
    const std::vector<Field>& GetFields() const { return m_fields; }

    // Where the occurrence-th field of that label (counted from 0) starts.
    size_t FindField(const std::string& label, int occurrence = 0) const
    {
        for (const Field& field : m_fields) {
            if (field.label == label && occurrence-- == 0) return field.offset;
        }
        throw std::out_of_range("no field " + label);
    }

    // Overwrites the bytes at the offset, as a damaged file would hold them.
    void PatchInt(size_t offset, int32_t value) { Patch(offset, &value, sizeof(value)); }
    void PatchUint16(size_t offset, uint16_t value) { Patch(offset, &value, sizeof(value)); }

    void Save(const std::string& path) const { SaveFirst(path, m_bytes.size()); }
    // Writes only the first length bytes: the file as cut short there.
    void SaveFirst(const std::string& path, size_t length) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(m_bytes.data(), static_cast<std::streamsize>(length));
    }

private:
    void Patch(size_t offset, const void* data, size_t size)
    {
        if (offset + size > m_bytes.size()) throw std::out_of_range("patch beyond the file");
        std::memcpy(&m_bytes[offset], data, size);
    }

    std::string m_bytes;
    std::vector<Field> m_fields;
};
