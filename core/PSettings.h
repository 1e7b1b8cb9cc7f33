#pragma once

#include "core/PObject.h"

#include <forward_list>
#include <memory>
#include <string>
#include <vector>

// Binds one configuration key to its typed global variable and converts the
// variable to and from its text in "config.cfg". The variable belongs to the
// program, not to the dator: destroying a dator leaves it alone.
class IPDator : public IPObject {
public:
    const char* GetTypeName() override;

    // Each reads a number of the bound type from the start of the text (no
    // leading white space is skipped; reading stops at the first character
    // that cannot continue the number). A text that does not begin with a
    // number, or whose number does not fit the type, changes nothing.
    virtual void SetFromText(const std::string& text) = 0;
    virtual void AddFromText(const std::string& text) = 0;
    virtual void SubtractFromText(const std::string& text) = 0;

    // Whether the variable's text form is exactly the given text.
    bool EqualsText(const std::string& text);
    bool DiffersFromText(const std::string& text);

    // Every key holds one value; none is a list.
    virtual bool IsList();

    // The variable in default stream formatting: "640", "-1", "0.5", "0.2".
    virtual void ToText(std::string& text) = 0;
};

// A dator for an int or a float global.
template <class T>
class CPDator : public IPDator {
public:
    explicit CPDator(T* variable) : m_variable(variable) {}

    int GetObjectSize() override { return sizeof(*this); }
    void SetFromText(const std::string& text) override;
    void AddFromText(const std::string& text) override;
    void SubtractFromText(const std::string& text) override;
    void ToText(std::string& text) override;

private:
    T* m_variable;
};

extern template class CPDator<int>;
extern template class CPDator<float>;

// The settings file, in the working directory.
constexpr char kSettingsFile[] = "config.cfg";

// The settings store: the text face of the configuration globals. It
// registers every "config.cfg" key bound to its global, reads the file over
// the globals' defaults and writes their current values back. One store
// exists for the whole run; it publishes itself through GetSettings.
class CPSettings {
public:
    CPSettings();
    virtual ~CPSettings();

    // Reads "key = value" lines over the current values. A missing file
    // leaves them as they are.
    void Load(const std::string& path);
    // Writes one "key = value" line per key, in the order of the key map.
    void Save(const std::string& path);

    // One line of the file: "key = value", "+key", "-key" or "key".
    void ParseLine(const std::string& line);
    // Sets the named key from the value text; unknown names are ignored.
    // Every key is single-valued, so the prefix mode changes nothing further.
    void Apply(const std::string& name, const std::string& value, int mode);

    // The dator of a key, or null when the store does not hold the key.
    IPDator* FindDator(const std::string& name) const;

private:
    struct Entry {
        std::string name;
        RefPtr<IPDator> dator;
    };
    typedef std::forward_list<Entry> Chain;

    void RegisterKeys();
    void Insert(const std::string& name, IPDator* dator);
    Chain& ChainOf(const std::string& name);
    const Chain& ChainOf(const std::string& name) const;

    std::vector<Chain> m_buckets;
    std::vector<std::unique_ptr<IPDator>> m_ownedDators;
};

// The store of the run, or null while none exists.
CPSettings* GetSettings();
