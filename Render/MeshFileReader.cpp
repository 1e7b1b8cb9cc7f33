#include "Render/MeshFileReader.h"

#include "core/StringUtils.h"

#include <cmath>
#include <cstring>
#include <vector>

void MeshFileReader::Fail(const char* field, const char* reason) const
{
    throw MeshFileError(m_path + ": " + field + " " + reason);
}

void MeshFileReader::Require(size_t size, const char* field) const
{
    if (size > m_file.GetBytesLeft()) Fail(field, "runs past the end of the file");
}

void MeshFileReader::ReadBytes(void* destination, size_t size, const char* field)
{
    Require(size, field);
    m_file.Read(destination, size);
}

void MeshFileReader::Skip(size_t size, const char* field)
{
    Require(size, field);
    m_file.Skip(size);
}

int32_t MeshFileReader::ReadInt(const char* field)
{
    Require(sizeof(int32_t), field);
    return m_file.ReadInt();
}

float MeshFileReader::ReadFloat(const char* field)
{
    Require(sizeof(float), field);
    const float value = m_file.ReadFloat();
    if (!std::isfinite(value)) Fail(field, "is not a finite number");
    return value;
}

void MeshFileReader::ReadFloats(float* values, int count, const char* field)
{
    Require(count * sizeof(float), field);
    for (int i = 0; i < count; ++i) values[i] = ReadFloat(field);
}

std::string MeshFileReader::ReadName(const char* field)
{
    char bytes[kNameFieldSize];
    ReadBytes(bytes, sizeof(bytes), field);
    const void* end = memchr(bytes, 0, sizeof(bytes));
    if (!end) Fail(field, "has no terminating zero");
    std::string name(bytes, static_cast<size_t>(static_cast<const char*>(end) - bytes));
    return StringToLower(name);
}

std::string MeshFileReader::ReadString(const char* field)
{
    const int32_t length = ReadInt(field);
    if (length < 0) Fail(field, "has a negative length");
    if (static_cast<size_t>(length) > m_file.GetBytesLeft()) Fail(field, "runs past the end of the file");
    std::string text(static_cast<size_t>(length), '\0');
    m_file.Read(&text[0], text.size());
    text.resize(strnlen(text.c_str(), text.size()));
    return StringToLower(text);
}

int32_t MeshFileReader::ReadCount(const char* field, size_t itemSize, bool negativeAsNone)
{
    const int32_t count = ReadInt(field);
    if (count < 0) {
        if (negativeAsNone) return 0;
        Fail(field, "is negative");
    }
    if (static_cast<size_t>(count) > m_file.GetBytesLeft() / itemSize) Fail(field, "is more than the file holds");
    return count;
}
