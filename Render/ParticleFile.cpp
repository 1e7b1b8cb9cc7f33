#include "Render/ParticleFile.h"

#include "Render/PParticleManager.h"
#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/PTokenizer.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

const char* const kParticleFile = "Data\\Particles.txt";

namespace {

const char* const kHeaderLabel = "emitters";
const char* const kFieldSeparator = " ";
const size_t kHeaderFields = 2;
const size_t kEmitterFields = 17;
const long kLargestFlag = 255;

std::vector<std::string> SplitAtBlanks(const std::string& line)
{
    std::vector<std::string> fields;
    CPTokenizer tokenizer(line, kFieldSeparator, false);
    std::string field;
    while (tokenizer.NextToken(field)) {
        if (!field.empty()) fields.push_back(field);
    }
    return fields;
}

// Takes the fields of one line in order; the first value that is not a
// number of its kind marks the whole line bad.
class FieldCursor {
public:
    explicit FieldCursor(const std::vector<std::string>& fields) : m_fields(fields), m_next(0), m_bad(false) {}

    std::string Name() { return m_fields[m_next++]; }
    float Real()
    {
        const std::string& text = m_fields[m_next++];
        char* end = nullptr;
        errno = 0;
        const float value = std::strtof(text.c_str(), &end);
        if (*end != '\0' || errno == ERANGE || !std::isfinite(value)) m_bad = true;
        return value;
    }
    long Whole(long lowest, long highest)
    {
        const std::string& text = m_fields[m_next++];
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (*end != '\0' || errno == ERANGE || value < lowest || value > highest) m_bad = true;
        return value;
    }
    D3DXVECTOR3 Triple()
    {
        const float x = Real();
        const float y = Real();
        const float z = Real();
        return D3DXVECTOR3(x, y, z);
    }
    bool IsBad() const { return m_bad; }

private:
    const std::vector<std::string>& m_fields;
    size_t m_next;
    bool m_bad;
};

NamedEmitter ParseEmitter(FieldCursor& fields)
{
    NamedEmitter emitter;
    EmitterDefinition& definition = emitter.definition;
    emitter.name = fields.Name();
    definition.firstScalar = fields.Real();
    definition.secondScalar = fields.Real();
    definition.direction = fields.Triple();
    definition.speed = fields.Real();
    definition.acceleration = fields.Triple();
    definition.thirdScalar = fields.Real();
    definition.flag = static_cast<uint8_t>(fields.Whole(0, kLargestFlag));
    definition.particleName = fields.Name();
    definition.coneAngle = static_cast<int32_t>(fields.Whole(INT_MIN, INT_MAX));
    definition.spread = fields.Triple();
    return emitter;
}

std::string EmitterFault(const std::string& path, long emitter, const std::string& fault)
{
    std::ostringstream text;
    text << path << ", emitter " << emitter << ": " << fault;
    return text.str();
}

std::string Real(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", value);
    return text;
}

std::string Triple(const D3DXVECTOR3& value)
{
    return Real(value.x) + " " + Real(value.y) + " " + Real(value.z);
}

} // namespace

bool ReadParticleFile(const std::string& path, std::vector<NamedEmitter>& emitters, std::string& error)
{
    emitters.clear();
    CPDataFile file(path, false);
    error.clear();
    if (FAILED(file.Load())) return false;
    CPTextReader reader(file.GetData(), file.GetDataSize());
    std::vector<std::vector<std::string>> lines;
    std::string line;
    while (reader.ReadLine(line)) lines.push_back(SplitAtBlanks(line));
    if (lines.empty() || lines[0].size() != kHeaderFields || lines[0][0] != kHeaderLabel) {
        error = path + ": no \"emitters <count>\" header";
        return false;
    }
    FieldCursor header(lines[0]);
    header.Name();
    const long count = header.Whole(0, static_cast<long>(lines.size() - 1));
    if (header.IsBad()) {
        error = path + ": the emitter count is not between 0 and the lines that follow";
        return false;
    }
    std::vector<NamedEmitter> read;
    for (long index = 1; index <= count; ++index) {
        if (lines[index].size() != kEmitterFields) {
            error = EmitterFault(path, index, "an emitter needs 17 fields");
            return false;
        }
        FieldCursor fields(lines[index]);
        read.push_back(ParseEmitter(fields));
        if (fields.IsBad()) {
            error = EmitterFault(path, index, "a value is not a number of its kind");
            return false;
        }
    }
    emitters.swap(read);
    return true;
}

HRESULT WriteParticleFile(const std::string& path, const std::vector<NamedEmitter>& emitters)
{
    std::ostringstream text;
    text << kHeaderLabel << " " << emitters.size() << "\r\n";
    for (const NamedEmitter& emitter : emitters) {
        const EmitterDefinition& definition = emitter.definition;
        text << emitter.name << " " << Real(definition.firstScalar) << " " << Real(definition.secondScalar) << " "
             << Triple(definition.direction) << " " << Real(definition.speed) << " "
             << Triple(definition.acceleration) << " " << Real(definition.thirdScalar) << " "
             << static_cast<int>(definition.flag) << " " << definition.particleName << " " << definition.coneAngle
             << " " << Triple(definition.spread) << "\r\n";
    }
    const std::string bytes = text.str();
    CPDataFileWriter writer(path, false);
    writer.Write(bytes.data(), bytes.size());
    return writer.Save();
}

std::vector<NamedEmitter> LoadParticleDefinitions(CPParticleManager& manager)
{
    std::vector<NamedEmitter> emitters;
    std::string error;
    if (!ReadParticleFile(kParticleFile, emitters, error)) {
        if (!error.empty()) OutputDebugStringA((error + "\n").c_str());
        return emitters;
    }
    for (const NamedEmitter& emitter : emitters) manager.AddEmitterDefinition(emitter.name, emitter.definition);
    return emitters;
}
