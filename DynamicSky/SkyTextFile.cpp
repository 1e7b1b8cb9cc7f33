#include "DynamicSky/SkyTextFile.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/PTokenizer.h"
#include "core/StringUtils.h"

#include <windows.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kSkyFolder = "Data\\Clouds\\";
const char* const kValueSeparator = " ";

void DebuggerSink(const std::string& report)
{
    OutputDebugStringA((report + "\n").c_str());
}

SkyLogSink& CurrentSink()
{
    static SkyLogSink sink = DebuggerSink;
    return sink;
}

// The values of a line: every token after the label.
std::vector<std::string> LineValues(const std::string& line)
{
    std::vector<std::string> values;
    CPTokenizer tokenizer(line, kValueSeparator, true);
    std::string token;
    bool label = true;
    while (tokenizer.NextToken(token)) {
        if (!label) values.push_back(token);
        label = false;
    }
    return values;
}

} // namespace

SkyLogSink SetSkyLogSink(SkyLogSink sink)
{
    SkyLogSink previous = CurrentSink();
    CurrentSink() = sink ? sink : SkyLogSink(DebuggerSink);
    return previous;
}

std::string SkyFilePath(const std::string& name)
{
    return kSkyFolder + name;
}

bool SkyTextFile::Open(const std::string& path)
{
    m_path = path;
    m_lines.clear();
    m_next = 0;
    m_failed = false;
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        m_failed = true;
        return false;
    }
    CPTextReader reader(file.GetData(), file.GetDataSize());
    std::string text;
    int number = 0;
    while (reader.ReadLine(text)) {
        // A last line without a line feed is not counted by the reader.
        number = std::max(number + 1, reader.GetLineCount());
        m_lines.push_back(Line{number, LineValues(text)});
    }
    return true;
}

int SkyTextFile::CurrentLineNumber() const
{
    if (m_next == 0) return 1;
    if (m_next <= m_lines.size()) return m_lines[m_next - 1].number;
    return m_lines.empty() ? 1 : m_lines.back().number + 1;
}

void SkyTextFile::Refuse(const std::string& fault)
{
    if (m_failed) return;
    m_failed = true;
    CurrentSink()(m_path + "(" + std::to_string(CurrentLineNumber()) + "): " + fault);
}

const std::vector<std::string>* SkyTextFile::NextValues(size_t wanted)
{
    if (m_failed) return nullptr;
    if (m_next >= m_lines.size()) {
        m_next = m_lines.size() + 1;
        Refuse("missing line");
        return nullptr;
    }
    const Line& line = m_lines[m_next++];
    if (line.values.size() < wanted) {
        Refuse("missing value");
        return nullptr;
    }
    return &line.values;
}

int SkyTextFile::ReadInt()
{
    const std::vector<std::string>* values = NextValues(1);
    return values ? std::atoi((*values)[0].c_str()) : 0;
}

// A value that a float cannot hold (such as 1e39) or that is no number at
// all is a fault: it would reach the colours and angles as infinity or NaN.
float SkyTextFile::RealValue(const std::string& text)
{
    const double value = std::atof(text.c_str());
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        Refuse("value " + text + " is not a finite number");
        return 0.0f;
    }
    return static_cast<float>(value);
}

float SkyTextFile::ReadReal()
{
    const std::vector<std::string>* values = NextValues(1);
    return values ? RealValue((*values)[0]) : 0.0f;
}

D3DXVECTOR3 SkyTextFile::ReadTriple()
{
    const std::vector<std::string>* values = NextValues(3);
    if (!values) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return D3DXVECTOR3(RealValue((*values)[0]), RealValue((*values)[1]), RealValue((*values)[2]));
}

void SkyTextFile::ReadIntPair(int& first, int& second)
{
    const std::vector<std::string>* values = NextValues(2);
    first = values ? std::atoi((*values)[0].c_str()) : 0;
    second = values ? std::atoi((*values)[1].c_str()) : 0;
}

void SkyTextFile::ReadRealPair(float& first, float& second)
{
    const std::vector<std::string>* values = NextValues(2);
    first = values ? RealValue((*values)[0]) : 0.0f;
    second = values ? RealValue((*values)[1]) : 0.0f;
}

std::string SkyTextFile::ReadName()
{
    const std::vector<std::string>* values = NextValues(1);
    if (!values) return std::string();
    const std::string& name = (*values)[0];
    if (!IsNameInsideFolder(name)) {
        Refuse("file name \"" + name + "\" outside the game's folders");
        return std::string();
    }
    return name;
}

bool SkyTextFile::CheckCount(int count, size_t linesEach, const char* what, size_t trailingLines)
{
    if (m_failed) return false;
    const size_t read = std::min(m_next, m_lines.size());
    const size_t left = m_lines.size() - std::min(m_lines.size(), read + trailingLines);
    if (count >= 0 && static_cast<size_t>(count) <= left / std::max<size_t>(linesEach, 1)) {
        return true;
    }
    Refuse(std::string(what) + " count " + std::to_string(count) + " beyond the lines left");
    return false;
}

void SkyTextFile::AppendLine(std::string& text, const char* label,
                             std::initializer_list<std::string> values)
{
    text += label;
    for (const std::string& value : values) text += " " + value;
    text += "\r\n";
}

// Nine significant digits read back as the same 32-bit float.
std::string SkyTextFile::Real(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
    return text;
}

std::string SkyTextFile::Name(const std::string& name)
{
    const bool quoted = name.empty() || name.find(' ') != std::string::npos;
    return quoted ? "\"" + name + "\"" : name;
}

std::string SkyTextFile::Triple(const D3DXVECTOR3& value)
{
    return Real(value.x) + " " + Real(value.y) + " " + Real(value.z);
}

HRESULT SkyTextFile::Save(const std::string& path, const std::string& text)
{
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    return writer.Save();
}
