#include "game/ItemsFile.h"

#include "game/PGameData.h"

#include "core/StringUtils.h"

const char* const kItemsFile = "Data\\Items.txt";

namespace {

const char kSectionOpen = '[';
const char kSectionClose = ']';

// Takes a line's fields in order; any field that does not fit its kind,
// and a count that is not exactly the record's, spoils the line.
class FieldReader {
public:
    explicit FieldReader(const std::vector<std::string>& fields) : m_fields(fields), m_next(0), m_ok(true) {}

    void Text(std::string& value)
    {
        if (Available()) value = m_fields[m_next++];
    }
    void Int(int32_t& value)
    {
        int parsed = 0;
        if (Available() && ParseIntField(m_fields[m_next++], parsed)) {
            value = parsed;
        } else {
            m_ok = false;
        }
    }
    void Float(float& value)
    {
        if (!Available() || !ParseFloatField(m_fields[m_next++], value)) m_ok = false;
    }
    bool IsComplete() const { return m_ok && m_next == m_fields.size(); }

private:
    bool Available()
    {
        if (m_next < m_fields.size()) return true;
        m_ok = false;
        return false;
    }

    const std::vector<std::string>& m_fields;
    size_t m_next;
    bool m_ok;
};

// Puts a record's fields on one line in the same order.
class FieldWriter {
public:
    void Text(const std::string& value) { Append(value); }
    void Int(const int32_t& value) { Append(std::to_string(value)); }
    void Float(const float& value) { Append(FloatField(value)); }
    const std::string& GetLine() const { return m_line; }

private:
    void Append(const std::string& field)
    {
        if (!m_line.empty()) m_line += ',';
        m_line += field;
    }

    std::string m_line;
};

// The fields of each record in file order, for reading and writing alike.
template <class Visitor, class Definition>
void VisitHead(Visitor& visit, Definition& item)
{
    visit.Text(item.key);
    visit.Int(item.price);
}

template <class Visitor, class Definition>
void VisitTail(Visitor& visit, Definition& item)
{
    visit.Text(item.descriptionKey);
    visit.Int(item.info);
    visit.Int(item.reserved[0]);
    visit.Int(item.reserved[1]);
    visit.Int(item.requiredRace);
}

template <class Visitor, class Item>
void VisitNumbers(Visitor& visit, Item& weapon, WeaponDefinition*)
{
    visit.Int(weapon.number1);
    visit.Float(weapon.number2);
    visit.Int(weapon.number3);
    visit.Float(weapon.number4);
    visit.Float(weapon.number5);
    visit.Int(weapon.number6);
    visit.Float(weapon.number7);
    visit.Float(weapon.number8);
}

template <class Visitor, class Item>
void VisitNumbers(Visitor& visit, Item& mine, MineDefinition*)
{
    visit.Int(mine.number1);
    visit.Float(mine.number2);
    visit.Float(mine.number3);
    visit.Int(mine.number4);
    visit.Float(mine.number5);
    visit.Float(mine.number6);
    visit.Float(mine.number7);
}

template <class Visitor, class Item>
void VisitNumbers(Visitor&, Item&, SuperWeaponDefinition*)
{
}

template <class Visitor, class Item>
void VisitNumbers(Visitor& visit, Item& item, SingleValueDefinition*)
{
    visit.Float(item.value);
}

template <class Visitor, class Item>
void VisitNumbers(Visitor& visit, Item& engine, EngineDefinition*)
{
    for (float& value : engine.values) visit.Float(value);
}

template <class Visitor, class Item>
void VisitFields(Visitor& visit, Item& item)
{
    VisitHead(visit, item);
    VisitNumbers(visit, item, &item);
    VisitTail(visit, item);
}

struct Section {
    const char* name;
    bool (*read)(const std::vector<std::string>& fields, CPGameData& gameData, std::string& problem);
    void (*write)(const CPGameData& gameData, const char* name, std::string& text);
};

template <class Item>
bool ReadItem(const std::vector<std::string>& fields, ItemCatalog<Item>& catalogue, std::string& problem)
{
    Item item;
    FieldReader reader(fields);
    VisitFields(reader, item);
    if (!reader.IsComplete()) {
        problem = "not an item of this section";
    } else if (item.key.empty()) {
        problem = "an item without a key";
    } else if (catalogue.Find(item.key)) {
        problem = "repeated item " + item.key;
    } else {
        catalogue.Add(item);
        return true;
    }
    return false;
}

template <class Item>
void WriteCatalogue(const char* section, const ItemCatalog<Item>& catalogue, std::string& text)
{
    text += kSectionOpen + std::string(section) + kSectionClose + "\n";
    for (Item item : catalogue.GetList()) {
        FieldWriter writer;
        VisitFields(writer, item);
        text += writer.GetLine() + "\n";
    }
}

template <class Item, ItemCatalog<Item> CPGameData::*catalogue>
bool ReadSectionItem(const std::vector<std::string>& fields, CPGameData& data, std::string& problem)
{
    return ReadItem(fields, data.*catalogue, problem);
}

template <class Item, ItemCatalog<Item> CPGameData::*catalogue>
void WriteSection(const CPGameData& data, const char* name, std::string& text)
{
    WriteCatalogue(name, data.*catalogue, text);
}

template <class Item, ItemCatalog<Item> CPGameData::*catalogue>
Section MakeSection(const char* name)
{
    return Section{name, ReadSectionItem<Item, catalogue>, WriteSection<Item, catalogue>};
}

const Section kSections[] = {
    MakeSection<WeaponDefinition, &CPGameData::weapons>("weapons"),
    MakeSection<MineDefinition, &CPGameData::mines>("mines"),
    MakeSection<SuperWeaponDefinition, &CPGameData::superWeapons>("superweapons"),
    MakeSection<BumperDefinition, &CPGameData::bumpers>("bumpers"),
    MakeSection<EquipmentDefinition, &CPGameData::equipment>("equipment"),
    MakeSection<ArmorDefinition, &CPGameData::armor>("armor"),
    MakeSection<EngineDefinition, &CPGameData::engines>("engines"),
};

bool IsSectionLine(const std::string& line)
{
    return line.size() >= 2 && line.front() == kSectionOpen && line.back() == kSectionClose;
}

const Section* FindSection(const std::string& line)
{
    const std::string name = line.substr(1, line.size() - 2);
    for (const Section& section : kSections) {
        if (name == section.name) return &section;
    }
    return nullptr;
}

} // namespace

void ReadItemsFile(const void* data, size_t size, CPGameData& gameData, std::vector<DataProblem>& problems)
{
    const Section* section = nullptr;
    for (const DataLine& line : SplitDataLines(data, size)) {
        std::string text = line.text;
        TrimString(text);
        if (IsSectionLine(text)) {
            section = FindSection(text);
            if (!section) problems.push_back(DataProblem{line.number, "unknown section " + text});
            continue;
        }
        std::string problem = "an item outside a known section";
        if (!section || !section->read(SplitCommaFields(text), gameData, problem)) {
            problems.push_back(DataProblem{line.number, problem});
        }
    }
}

std::string WriteItemsFile(const CPGameData& gameData)
{
    std::string text;
    for (const Section& section : kSections) section.write(gameData, section.name, text);
    return text;
}
