#pragma once

#include "core/PDataFile.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// A fault in a mesh file: what went wrong, with the file and the field.
class MeshFileError : public std::runtime_error {
public:
    explicit MeshFileError(const std::string& message) : std::runtime_error(message) {}
};

// Reads the fields of a binary mesh file and checks each against the bytes
// that remain: a field past the end, a name without its terminating zero, a
// float that is no finite number or a count that the rest of the file
// cannot hold throws a MeshFileError naming the file and the field.
class MeshFileReader {
public:
    // The characters of a fixed-size name field, its zero included.
    static const size_t kNameFieldSize = 260;

    MeshFileReader(CPDataFile& file, const std::string& path) : m_file(file), m_path(path) {}

    int32_t ReadInt(const char* field);
    float ReadFloat(const char* field);
    void ReadFloats(float* values, int count, const char* field);
    // A fixed-size name field, lower-cased.
    std::string ReadName(const char* field);
    // A length-prefixed string, lower-cased.
    std::string ReadString(const char* field);
    void ReadBytes(void* destination, size_t size, const char* field);
    // Count values of a plain type straight from the file's bytes into the
    // vector, which is filled once, with no zeroing before: a mesh's vertex
    // and index arrays are most of its load.
    template <class T>
    void ReadArray(std::vector<T>& items, size_t count, const char* field);
    void Skip(size_t size, const char* field);

    // A count of items of at least itemSize bytes each. A negative count
    // reads as no items when negativeAsNone is set and is a fault otherwise;
    // a count that the bytes left cannot hold is always a fault.
    int32_t ReadCount(const char* field, size_t itemSize, bool negativeAsNone);

    bool AtEnd() const { return m_file.GetBytesLeft() == 0; }
    CPDataFile& GetFile() { return m_file; }
    const std::string& GetPath() const { return m_path; }
    // Throws the error for the field with the reason.
    [[noreturn]] void Fail(const char* field, const char* reason) const;

private:
    void Require(size_t size, const char* field) const;

    CPDataFile& m_file;
    std::string m_path;
};

template <class T>
void MeshFileReader::ReadArray(std::vector<T>& items, size_t count, const char* field)
{
    static_assert(std::is_trivially_copyable<T>::value, "values read as the bytes they lie in");
    // Checked by division, so no count can overflow the product.
    if (count > m_file.GetBytesLeft() / sizeof(T)) Fail(field, "runs past the end of the file");
    const unsigned char* bytes = m_file.Take(count * sizeof(T));
    // A file read from disk may have lost bytes since it was opened.
    if (!bytes) Fail(field, "runs past the end of the file");
    // The file holds the values as they lie in memory: where they lie at an
    // address a value may have, one copy moves them all into the vector.
    if (reinterpret_cast<uintptr_t>(bytes) % alignof(T) == 0) {
        const T* first = reinterpret_cast<const T*>(bytes);
        items.assign(first, first + count);
        return;
    }
    items.resize(count);
    if (count > 0) std::memcpy(items.data(), bytes, count * sizeof(T));
}
