#include "core/PSettings.h"

#include "core/PDataFileWriter.h"
#include "core/Settings.h"
#include "core/StringUtils.h"

#include <cstdint>
#include <fstream>
#include <sstream>

namespace {

// One row of the key table: a key and the global it is bound to.
struct KeyBinding {
    constexpr KeyBinding(const char* keyName, int* variable)
        : name(keyName), integer(variable), real(nullptr)
    {
    }
    constexpr KeyBinding(const char* keyName, float* variable)
        : name(keyName), integer(nullptr), real(variable)
    {
    }

    const char* name;
    int* integer;
    float* real;
};

// Registration order decides which of two keys sharing a bucket comes first
// in the file (the later one), so it is part of the file's layout.
const KeyBinding kKeyTable[] = {
    {"screenWidth", &g_screenWidth},   {"screenHeight", &g_screenHeight},
    {"screenBPP", &g_screenBPP},       {"fullScreen", &g_fullScreen},
    {"weight_div", &g_weight_div},     {"static", &g_static},
    {"rolling", &g_rolling},           {"texlod", &g_texlod},
    {"quadlevels", &g_quadlevels},     {"bboxes", &g_bboxes},
    {"channels", &g_channels},         {"frequency", &g_frequency},
    {"bitrate", &g_bitrate},           {"soundVolume", &g_soundVolume},
    {"musicVolume", &g_musicVolume},   {"mouse", &g_mouse},
    {"plane", &g_plane},               {"cam_speed", &g_cam_speed},
    {"distance", &g_distance},         {"startmenu", &g_startmenu},
    {"friction", &g_friction},         {"restitution", &g_restitution},
    {"shadows", &g_shadows},           {"bloom", &g_bloom},
    {"lensflare", &g_lensflare},       {"dust", &g_dust},
    {"wheel", &g_wheel},               {"psystems", &g_psystems},
    {"weather", &g_weather},           {"blur", &g_blur},
    {"contrast", &g_contrast},         {"admin", &g_admin},
};
const size_t kKeyCount = sizeof(kKeyTable) / sizeof(kKeyTable[0]);

// The key map has the 193 buckets that a hash table asked for 100 gets, and
// it never grows: the file's line order follows from this count, and every
// key fits without a rehash.
const size_t kBucketCount = 193;
static_assert(kKeyCount <= kBucketCount, "the key map would have to grow");

// Lines are read into a 1024-byte buffer, so a line keeps at most 1023
// characters; a longer one is no setting anyone wrote and is skipped whole.
const size_t kMaxLineLength = 1023;

const char kSeparator[] = " = ";
const char kLineEnd[] = "\r\n";

CPSettings* g_settings = nullptr;

// Each key's dator is also held on its own, outside the map.
RefPtr<IPDator> g_keyDators[kKeyCount];

// Multiplies by 5 and adds each byte as a signed value, wrapping at 32 bits.
uint32_t HashKeyName(const std::string& name)
{
    uint32_t hash = 0;
    for (char character : name) {
        hash = 5 * hash + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(character)));
    }
    return hash;
}

IPDator* CreateDator(const KeyBinding& binding)
{
    if (binding.integer) return new CPDator<int>(binding.integer);
    return new CPDator<float>(binding.real);
}

// Reads up to the next line feed into line, keeping at most kMaxLineLength
// characters and discarding the rest; answers whether anything was dropped.
bool ReadBoundedLine(std::istream& in, std::string& line)
{
    line.clear();
    bool truncated = false;
    for (int character = in.get(); character != EOF && character != '\n'; character = in.get()) {
        if (line.size() < kMaxLineLength) {
            line += static_cast<char>(character);
        } else {
            truncated = true;
        }
    }
    return truncated;
}

// A number of type T at the very start of the text; false when there is none
// or it does not fit T.
template <class T>
bool ReadLeadingNumber(const std::string& text, T& value)
{
    std::istringstream in(text);
    in >> std::noskipws >> value;
    return !in.fail();
}

// Signed overflow would be undefined; integer settings wrap instead.
int WrappingSum(int a, int b)
{
    return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int WrappingDifference(int a, int b)
{
    return static_cast<int>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

float WrappingSum(float a, float b)
{
    return a + b;
}

float WrappingDifference(float a, float b)
{
    return a - b;
}

} // namespace

const char* IPDator::GetTypeName()
{
    return "CPDator";
}

bool IPDator::EqualsText(const std::string& text)
{
    std::string own;
    ToText(own);
    return own == text;
}

bool IPDator::DiffersFromText(const std::string& text)
{
    return !EqualsText(text);
}

bool IPDator::IsList()
{
    return false;
}

template <class T>
void CPDator<T>::SetFromText(const std::string& text)
{
    T value;
    if (ReadLeadingNumber(text, value)) *m_variable = value;
}

template <class T>
void CPDator<T>::AddFromText(const std::string& text)
{
    T value;
    if (ReadLeadingNumber(text, value)) *m_variable = WrappingSum(*m_variable, value);
}

template <class T>
void CPDator<T>::SubtractFromText(const std::string& text)
{
    T value;
    if (ReadLeadingNumber(text, value)) *m_variable = WrappingDifference(*m_variable, value);
}

template <class T>
void CPDator<T>::ToText(std::string& text)
{
    std::ostringstream out;
    out << *m_variable;
    text = out.str();
}

template class CPDator<int>;
template class CPDator<float>;

CPSettings* GetSettings()
{
    return g_settings;
}

CPSettings::CPSettings() : m_buckets(kBucketCount)
{
    g_settings = this;
    RegisterKeys();
}

CPSettings::~CPSettings()
{
    for (RefPtr<IPDator>& keyDator : g_keyDators) {
        keyDator = nullptr;
    }
    m_buckets.clear();
    m_ownedDators.clear();
    if (g_settings == this) g_settings = nullptr;
}

void CPSettings::RegisterKeys()
{
    for (size_t row = 0; row < kKeyCount; ++row) {
        IPDator* dator = CreateDator(kKeyTable[row]);
        m_ownedDators.emplace_back(dator);
        g_keyDators[row] = dator;
        Insert(kKeyTable[row].name, dator);
    }
}

void CPSettings::Insert(const std::string& name, IPDator* dator)
{
    Chain& chain = ChainOf(name);
    for (Entry& entry : chain) {
        if (entry.name == name) {
            entry.dator = dator;
            return;
        }
    }
    chain.push_front(Entry{name, RefPtr<IPDator>(dator)});
}

CPSettings::Chain& CPSettings::ChainOf(const std::string& name)
{
    return m_buckets[HashKeyName(name) % m_buckets.size()];
}

const CPSettings::Chain& CPSettings::ChainOf(const std::string& name) const
{
    return m_buckets[HashKeyName(name) % m_buckets.size()];
}

IPDator* CPSettings::FindDator(const std::string& name) const
{
    for (const Entry& entry : ChainOf(name)) {
        if (entry.name == name) return entry.dator.Get();
    }
    return nullptr;
}

void CPSettings::Load(const std::string& path)
{
    std::ifstream in(path.c_str());
    if (!in) return;
    std::string line;
    while (in.peek() != EOF) {
        if (!ReadBoundedLine(in, line)) ParseLine(line);
    }
}

void CPSettings::ParseLine(const std::string& line)
{
    if (line.empty()) return;
    int mode = 0;
    std::string rest = line;
    if (rest[0] == '+' || rest[0] == '-') {
        mode = rest[0] == '+' ? 1 : -1;
        rest.erase(0, 1);
    }
    std::string name;
    std::string value;
    size_t equals = rest.find('=');
    if (equals != std::string::npos) {
        name = rest.substr(0, equals);
        value = rest.substr(equals + 1);
    } else {
        // "+key" switches a key on; "-key" and a bare "key" switch it off.
        name = rest;
        value = std::to_string((mode + 1) / 2);
    }
    Apply(TrimString(name), TrimString(value), mode);
}

void CPSettings::Apply(const std::string& name, const std::string& value, int)
{
    IPDator* dator = FindDator(name);
    if (dator) dator->SetFromText(value);
}

void CPSettings::Save(const std::string& path)
{
    CPDataFileWriter writer(path, false);
    std::string text;
    for (const Chain& chain : m_buckets) {
        for (const Entry& entry : chain) {
            entry.dator->ToText(text);
            std::string line = entry.name + kSeparator + text + kLineEnd;
            writer.Write(line.data(), line.size());
        }
    }
    writer.Save();
}
