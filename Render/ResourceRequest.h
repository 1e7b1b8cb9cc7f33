#pragma once

#include <iterator>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// A texture or effect request string: a file name, then options, each
// after a ",". The whole string, options included, is the cache key.
struct ResourceRequest {
    std::string fileName;
    std::vector<std::string> options;

    // Options are compared exactly; unknown ones mean nothing.
    bool HasOption(const char* option) const;
};

ResourceRequest ParseResourceRequest(const std::string& request);

// What the texture and effect caches share: one resource per key, loaded on
// first request; a resource that does not load is replaced by one loaded
// from the fallback file (whatever that load answers) and stored under the
// requested key all the same. The cache owns what it creates only until it
// hands it out: resources are destroyed by their users and then leave the
// cache through EraseEntriesOf.
template <class Resource>
Resource* FindOrLoad(std::unordered_map<std::string, Resource*>& entries, const std::string& request,
                     const char* fallbackSpec)
{
    auto found = entries.find(request);
    if (found != entries.end()) return found->second;

    Resource* resource = new Resource();
    if (!resource->Load(request)) {
        delete resource;
        resource = new Resource();
        resource->Load(fallbackSpec);
    }
    entries[request] = resource;
    return resource;
}

// Erases every entry that holds resource, whatever its key: a fallback is
// stored under the key that was asked for, not under its own name.
template <class Resource>
void EraseEntriesOf(std::unordered_map<std::string, Resource*>& entries, const Resource* resource)
{
    for (auto entry = entries.begin(); entry != entries.end();) {
        entry = entry->second == resource ? entries.erase(entry) : std::next(entry);
    }
}

// Destroys every resource held under any key, each once, and empties the
// map: the end of the run, when the host lets go of what the caches hold.
template <class Resource>
void DestroyEntries(std::unordered_map<std::string, Resource*>& entries)
{
    std::unordered_set<Resource*> resources;
    for (const auto& entry : entries) resources.insert(entry.second);
    entries.clear();
    for (Resource* resource : resources) delete resource;
}
