#include "core/PDataFileWriter.h"

#include "core/DataScrambling.h"
#include "core/FileSystem.h"

namespace {

bool WriteAndClose(FILE* file, const std::vector<unsigned char>& bytes)
{
    FileSystem& files = GetFileSystem();
    bool written = bytes.empty() || files.Write(bytes.data(), bytes.size(), file) == bytes.size();
    bool closed = files.Close(file) == 0;
    return written && closed;
}

// Writes into a new file of its own beside the path first and then moves
// the finished file over it, so a failed write never replaces a good file
// with a partial one and no other file is overwritten on the way.
bool WriteFileInPlaceOf(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FileSystem& files = GetFileSystem();
    const std::string temporary = files.CreateUniqueFileBeside(path.c_str());
    if (temporary.empty()) return false;
    FILE* file = files.Open(temporary.c_str(), "wb");
    if (file && WriteAndClose(file, bytes) && files.Replace(temporary.c_str(), path.c_str())) return true;
    files.Remove(temporary.c_str());
    return false;
}

std::vector<unsigned char> ScrambledCopy(const std::vector<unsigned char>& bytes)
{
    std::vector<unsigned char> scrambled(bytes);
    ScrambleBytes(scrambled.data(), scrambled.size());
    return scrambled;
}

} // namespace

CPDataFileWriter::CPDataFileWriter(const std::string& path, bool scrambled)
    : m_path(path), m_scrambled(scrambled)
{
}

CPDataFileWriter::~CPDataFileWriter()
{
}

void CPDataFileWriter::Reserve(size_t size)
{
    m_buffer.reserve(size);
}

HRESULT CPDataFileWriter::Write(const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    return S_OK;
}

void CPDataFileWriter::WriteInt(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(bits),
        static_cast<unsigned char>(bits >> 8),
        static_cast<unsigned char>(bits >> 16),
        static_cast<unsigned char>(bits >> 24),
    };
    Write(bytes, sizeof(bytes));
}

void CPDataFileWriter::WriteString(const std::string& text)
{
    WriteInt(static_cast<int32_t>(text.size()));
    Write(text.data(), text.size());
}

HRESULT CPDataFileWriter::Save()
{
    const bool saved = m_scrambled ? WriteFileInPlaceOf(m_path, ScrambledCopy(m_buffer))
                                   : WriteFileInPlaceOf(m_path, m_buffer);
    return saved ? S_OK : E_FAIL;
}
